#include "service/upload_photo.hpp"

#include <algorithm>
#include <cmath>

#include "core/configuration_key.hpp"
#include "core/sdk_configuration.hpp"
#include "core/vistrel_pref.hpp"

namespace vistrel::VistrelTools {

std::optional<platform::graphics::Image> resizeImage(const platform::graphics::Image& image) {
    double side = SdkConfiguration::shared().floatValueForKey(ConfigurationKey::sdkImageSendWidth);
    int w = image.pixelWidth(), h = image.pixelHeight();
    if (!std::isfinite(side) || side <= 0 || w <= 0 || h <= 0) return std::nullopt;
    double factor = std::min(side / w, side / h);
    int nw = std::max(1, static_cast<int>(w * factor)), nh = std::max(1, static_cast<int>(h * factor));
    auto bitmap = platform::graphics::Bitmap::make(nw, nh);
    if (!bitmap) return std::nullopt;
    for (int y = 0; y < nh; ++y)
        for (int x = 0; x < nw; ++x)
            bitmap->data()[static_cast<std::size_t>(y) * nw + x] = image.bitmap().rawPixel(x * w / nw, y * h / nh);
    auto resized = platform::graphics::Image::make(std::move(*bitmap));
    if (resized && VistrelPref::useBlackAndWhite()) return imageToGrayScale(*resized);
    return resized;
}

std::optional<platform::graphics::Image> imageToGrayScale(const platform::graphics::Image& image) {
    if (image.bitmap().isEmpty()) return std::nullopt;
    return image;
}

}  // namespace vistrel::VistrelTools
