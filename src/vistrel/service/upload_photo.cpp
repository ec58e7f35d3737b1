#include "vistrel/service/upload_photo.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "vistrel/core/sdk_configuration.hpp"
#include "vistrel/core/vistrel_pref.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/grey_plane.hpp"
#include "vistrel/platform/graphics/image_scaling.hpp"

namespace vistrel::VistrelTools {

namespace {

using platform::graphics::Image;

// A number as the console shows sizes: shortest form, always with a fraction.
void appendNumber(std::string& text, double value) {
    char buffer[32];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string_view number(buffer, error == std::errc() ? std::size_t(end - buffer) : 0);
    text += number;
    if (number.find_first_of(".enia") == std::string_view::npos) text += ".0";
}

// A side in points as whole pixels: rounded, never below one pixel; none past the
// largest bitmap (or for a side that is not finite).
std::optional<int> pixelSide(double side) {
    if (!(side <= platform::graphics::Bitmap::maxDimension)) return std::nullopt;
    return std::max(1, static_cast<int>(std::lround(side)));
}

}  // namespace

std::optional<Image> resizeImage(const Image& image) {
    return resizeImage(image, SdkConfiguration::shared().floatValueForKey(ConfigurationKey::sdkImageSendWidth),
                       VistrelPref::useBlackAndWhite());
}

std::optional<Image> resizeImage(const Image& image, double side, bool blackAndWhite) {
    const platform::graphics::Size size = image.size();
    if (!std::isfinite(side) || side <= 0 || !(size.width > 0) || !(size.height > 0)) return std::nullopt;
    // The smaller ratio: the longer side becomes the target side; equal ratios take the width's.
    const double widthRatio = side / size.width, heightRatio = side / size.height;
    const double factor = widthRatio > heightRatio ? heightRatio : widthRatio;
    const double newWidth = size.width * factor, newHeight = size.height * factor;

    std::string line = "resize image, new size :: (";
    appendNumber(line, newWidth);
    line += ", ";
    appendNumber(line, newHeight);
    line += ')';
    platform::log(line);

    auto width = pixelSide(newWidth), height = pixelSide(newHeight);
    if (!width || !height) return std::nullopt;
    // Grey before scaling gives the same picture as scaling first, for a quarter of the work.
    if (blackAndWhite) return platform::graphics::scaledGreyImage(image, *width, *height);
    return platform::graphics::scaledImage(image, *width, *height);
}

std::optional<Image> imageToGrayScale(const Image& image) { return platform::graphics::greyImage(image); }

}  // namespace vistrel::VistrelTools
