#include "vistrel/platform/graphics/display_decoding.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "vistrel/platform/graphics/image_decoding.hpp"
#include "vistrel/platform/graphics/image_header.hpp"
#include "vistrel/platform/graphics/image_scaling.hpp"
#include "vistrel/platform/graphics/jpeg_reading.hpp"
#include "vistrel/platform/graphics/picture_input.hpp"
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

// Why a PNG or JPEG of this header is not decoded under the limits; none when it is.
std::optional<std::string> refusal(const ImageHeader& header, const DisplayDecodingLimits& limits) {
    if (!withinDecodingLimits(header.width, header.height))
        return overLimit(header.width, header.height, "a decoded picture");
    // A picture in passes over all its rows is held whole while it is read (a PNG's
    // pixels, a JPEG's coefficients), whatever size it is shown at.
    if (header.storedInPasses && header.format == ImageFormat::png &&
        static_cast<long long>(header.width) * header.height > limits.maxWholePixels)
        return overLimit(header.width, header.height, "an interlaced picture");
    if (header.storedInPasses && header.coefficientBytes > limits.maxWholeCoefficientBytes)
        return overLimit(header.width, header.height, "the coefficients of a picture stored in passes (progressive)");
    return std::nullopt;
}

// A PNG is decoded from its input (bytes in memory, or a file's input) as its decoder asks
// for it: one whose rows come one after the other a row at a time, at the size shown; an
// interlaced one whole, its pixels held until its last pass, then brought to that size.
ImageSourceResult readPng(PictureInput& input, const ImageHeader& header, int coverWidth, int coverHeight,
                          const DisplayDecodingLimits& limits) {
    if (auto refused = refusal(header, limits)) return {std::nullopt, std::move(*refused)};
    const auto size = displayPixelSize(header.width, header.height, coverWidth, coverHeight, limits.maxPixels);
    if (!header.storedInPasses) return oneFrame(decodePngFitted(input, size.width, size.height));
    auto decoded = decodePng(input);
    if (!decoded || decoded->frames.empty()) return {};
    return oneFrame(fitted(std::move(decoded->frames.front()), size));
}

// A JPEG is decoded from its input (bytes in memory, or a file's input) as the decoder
// asks for it, once its header passes the limits.
template <class Input>
ImageSourceResult readJpegForDisplay(Input&& input, int coverWidth, int coverHeight, const DisplayDecodingLimits& limits) {
    std::string failure;
    DisplayPixelSize size;
    auto bitmap = readJpeg(input, [&](const ImageHeader& header) -> std::optional<PixelSize> {
        if (auto refused = refusal(header, limits)) {
            failure = std::move(*refused);
            return std::nullopt;
        }
        size = displayPixelSize(header.width, header.height, coverWidth, coverHeight, limits.maxPixels);
        return PixelSize{size.width, size.height};
    });
    if (!failure.empty()) return {std::nullopt, std::move(failure)};
    return oneFrame(fitted(std::move(bitmap), size));
}

std::optional<Image> firstFrame(ImageSourceResult read) {
    if (!read.source) return std::nullopt;
    for (ImageSourceFrame& frame : read.source->frames)
        if (frame.image) return Image::make(std::move(*frame.image));
    return std::nullopt;
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
    if (imageFormatOf(bytes) == ImageFormat::jpeg) return readJpegForDisplay(bytes, coverWidth, coverHeight, limits);
    const auto header = readImageHeader(bytes);
    if (!header) return {};
    if (header->format == ImageFormat::gif) return readGif(bytes, *header, coverWidth, coverHeight, limits);
    PictureBytesInput input(bytes);
    return readPng(input, *header, coverWidth, coverHeight, limits);
}

std::optional<Image> readStillForDisplay(std::string_view bytes, int coverWidth, int coverHeight,
                                         const DisplayDecodingLimits& limits) {
    return firstFrame(readImageSourceForDisplay(bytes, coverWidth, coverHeight, limits));
}

std::optional<Image> readStillFileForDisplay(const std::filesystem::path& path, int coverWidth, int coverHeight,
                                             const DisplayDecodingLimits& limits) {
    auto input = PictureFileInput::open(path, limits);
    if (!input) return std::nullopt;
    // A JPEG and a PNG are decoded as the file is read: they hold their rows (an interlaced
    // PNG its pixels), not the file. A GIF, or what is none of them, is held whole to be
    // read.
    const auto format = imageFormatOf(input->head());
    if (format == ImageFormat::jpeg) return firstFrame(readJpegForDisplay(*input, coverWidth, coverHeight, limits));
    const auto header = readImageHeader(input->head());
    if (header && header->format == ImageFormat::png)
        return firstFrame(readPng(*input, *header, coverWidth, coverHeight, limits));
    const auto bytes = input->rest();
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
