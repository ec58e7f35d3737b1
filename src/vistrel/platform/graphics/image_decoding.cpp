#include "vistrel/platform/graphics/image_decoding.hpp"

#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/graphics/image_header.hpp"
#include "vistrel/platform/graphics/picture_input.hpp"

namespace platform::graphics {

std::optional<DecodedFrames> decodeImageData(std::string_view bytes) {
    const auto format = imageFormatOf(bytes);
    if (!format) return std::nullopt;
    switch (*format) {
    case ImageFormat::png: return decodePng(bytes);
    case ImageFormat::jpeg: return decodeJpeg(bytes);
    case ImageFormat::gif: return decodeGif(bytes);
    }
    return std::nullopt;
}

ImageSourceResult readImageSource(std::string_view bytes, const ImageSourceLimits& limits) {
    if (imageFormatOf(bytes) == ImageFormat::gif) return readGifSource(bytes, limits);
    auto decoded = decodeImageData(bytes);
    if (!decoded) return {};
    ImageSource source;
    for (Bitmap& frame : decoded->frames) {
        const long long pixels = static_cast<long long>(frame.width()) * frame.height();
        if (pixels > limits.maxCanvasPixels || pixels * 4 > limits.maxDecodedBytes) {
            std::string text = "the picture of ";
            text += std::to_string(pixels);
            text += " pixels is over the limits";
            return {std::nullopt, std::move(text)};
        }
        source.frames.push_back({std::move(frame), std::nullopt});
    }
    return {std::move(source), {}};
}

bool withinDecodingLimits(long long width, long long height, long long frameCount) {
    if (width < 1 || height < 1 || frameCount < 1) return false;
    if (width > Image::maxDecodedDimension || height > Image::maxDecodedDimension) return false;
    return width * height <= Image::maxDecodedPixels / frameCount;
}

std::optional<DecodedFrames> decodeImageFile(const std::filesystem::path& path, const DisplayDecodingLimits& limits) {
    auto input = PictureFileInput::open(path, limits);
    if (!input) return std::nullopt;
    if (imageFormatOf(input->head()) == ImageFormat::png) return decodePng(*input);
    const auto bytes = input->rest();
    if (!bytes) return std::nullopt;
    return decodeImageData(*bytes);
}

}  // namespace platform::graphics
