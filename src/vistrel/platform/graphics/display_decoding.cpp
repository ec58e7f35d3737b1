#include "vistrel/platform/graphics/display_decoding.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "vistrel/platform/graphics/image_decoding.hpp"
#include "vistrel/platform/graphics/image_header.hpp"
#include "vistrel/platform/graphics/image_scaling.hpp"
#include "vistrel/platform/graphics/png_fitted_decoding.hpp"

namespace platform::graphics {

namespace {

std::string overLimit(long long width, long long height, std::string_view what) {
    std::string text = "the picture of ";
    text += std::to_string(width);
    text += " x ";
    text += std::to_string(height);
    text += " pixels is over the limit of ";
    text += what;
    return text;
}

// The bitmap at exactly that size: itself, or scaled (none when that fails).
std::optional<Bitmap> fitted(std::optional<Bitmap> bitmap, DisplayPixelSize size) {
    if (!bitmap || (bitmap->width() == size.width && bitmap->height() == size.height)) return bitmap;
    return scaledBitmap(*bitmap, size.width, size.height);
}

ImageSourceResult oneFrame(std::optional<Bitmap> bitmap) {
    if (!bitmap) return {};
    ImageSource source;
    source.frames.push_back({std::move(bitmap), std::nullopt});
    return {std::move(source), {}};
}

ImageSourceResult readGif(std::string_view bytes, const ImageHeader& header, int coverWidth, int coverHeight,
                          const DisplayDecodingLimits& limits) {
    ImageSourceLimits whole;
    whole.maxCanvasPixels = limits.maxWholePixels;
    whole.maxDecodedBytes = limits.maxWholeFramesPixels * 4;
    whole.maxFrames = limits.maxFrames;
    ImageSourceResult read = readGifSource(bytes, whole);
    if (!read.source || read.source->frames.empty()) return read;
    const auto frames = static_cast<long long>(read.source->frames.size());
    const auto size = displayPixelSize(header.width, header.height, coverWidth, coverHeight,
                                       std::max(1LL, std::min(limits.maxPixels, limits.maxTotalPixels / frames)));
    for (ImageSourceFrame& frame : read.source->frames)
        if (frame.image) frame.image = fitted(std::move(frame.image), size);
    return read;
}

ImageSourceResult readPng(std::string_view bytes, const ImageHeader& header, DisplayPixelSize size) {
    if (!header.storedInPasses) return oneFrame(decodePngFitted(bytes, size.width, size.height));
    auto decoded = decodePng(bytes);
    if (!decoded || decoded->frames.empty()) return {};
    return oneFrame(fitted(std::move(decoded->frames.front()), size));
}

}  // namespace

DisplayPixelSize displayPixelSize(int width, int height, int coverWidth, int coverHeight, long long maxPixels) {
    if (width < 1 || height < 1) return {};
    double scale = 0;
    if (coverWidth > 0) scale = std::max(scale, double(coverWidth) / width);
    if (coverHeight > 0) scale = std::max(scale, double(coverHeight) / height);
    if (scale <= 0 || scale > 1) scale = 1;
    double w = width * scale, h = height * scale;
    const auto bound = static_cast<double>(std::max(1LL, maxPixels));
    if (w * h > bound) {
        const double shrink = std::sqrt(bound / (w * h));
        w = std::floor(w * shrink + 1e-9);
        h = std::floor(h * shrink + 1e-9);
    } else {
        w = std::round(w);
        h = std::round(h);
    }
    // A side that would vanish keeps one pixel; the other then takes the whole bound.
    w = std::max(1.0, w);
    h = std::max(1.0, h);
    if (h == 1) w = std::min(w, bound);
    if (w == 1) h = std::min(h, bound);
    return {static_cast<int>(w), static_cast<int>(h)};
}

ImageSourceResult readImageSourceForDisplay(std::string_view bytes, int coverWidth, int coverHeight,
                                            const DisplayDecodingLimits& limits) {
    const auto header = readImageHeader(bytes);
    if (!header) return {};
    if (header->format == ImageFormat::gif) return readGif(bytes, *header, coverWidth, coverHeight, limits);
    if (!withinDecodingLimits(header->width, header->height))
        return {std::nullopt, overLimit(header->width, header->height, "a decoded picture")};
    // A picture in passes over all its rows is held whole while it is read (a PNG's
    // pixels, a JPEG's coefficients), whatever size it is shown at.
    if (header->storedInPasses && header->format == ImageFormat::png &&
        static_cast<long long>(header->width) * header->height > limits.maxWholePixels)
        return {std::nullopt, overLimit(header->width, header->height, "an interlaced picture")};
    if (header->storedInPasses && header->coefficientBytes > limits.maxWholeCoefficientBytes)
        return {std::nullopt, overLimit(header->width, header->height,
                                        "the coefficients of a picture stored in passes (progressive)")};
    const auto size = displayPixelSize(header->width, header->height, coverWidth, coverHeight, limits.maxPixels);
    if (header->format == ImageFormat::png) return readPng(bytes, *header, size);
    return oneFrame(fitted(decodeJpegBitmap(bytes, PixelSize{size.width, size.height}), size));
}

std::optional<Image> readStillForDisplay(std::string_view bytes, int coverWidth, int coverHeight,
                                         const DisplayDecodingLimits& limits) {
    ImageSourceResult read = readImageSourceForDisplay(bytes, coverWidth, coverHeight, limits);
    if (!read.source) return std::nullopt;
    for (ImageSourceFrame& frame : read.source->frames)
        if (frame.image) return Image::make(std::move(*frame.image));
    return std::nullopt;
}

std::optional<Image> readStillFileForDisplay(const std::filesystem::path& path, int coverWidth, int coverHeight,
                                             const DisplayDecodingLimits& limits) {
    const auto bytes = readImageFile(path, limits);
    if (!bytes) return std::nullopt;
    return readStillForDisplay(*bytes, coverWidth, coverHeight, limits);
}

DisplayDecodingLimits wholeDecodingLimits() {
    DisplayDecodingLimits limits;
    limits.maxPixels = limits.maxTotalPixels = Image::maxDecodedPixels;
    limits.maxWholePixels = limits.maxWholeFramesPixels = Image::maxDecodedPixels;
    limits.maxWholeCoefficientBytes = std::numeric_limits<long long>::max();
    limits.maxFrames = ImageSourceLimits{}.maxFrames;
    return limits;
}

bool isDisplaySized(const Image& image, int coverWidth, int coverHeight, const DisplayDecodingLimits& limits) {
    const int width = image.pixelWidth(), height = image.pixelHeight();
    const auto size = displayPixelSize(width, height, coverWidth, coverHeight, limits.maxPixels);
    return !image.isAnimated() && size.width == width && size.height == height;
}

std::optional<Image> stillForDisplay(const Image& image, int coverWidth, int coverHeight,
                                     const DisplayDecodingLimits& limits) {
    if (isDisplaySized(image, coverWidth, coverHeight, limits)) return image;
    const int width = image.pixelWidth(), height = image.pixelHeight();
    const auto size = displayPixelSize(width, height, coverWidth, coverHeight, limits.maxPixels);
    return scaledImage(image, size.width, size.height);
}

}  // namespace platform::graphics
