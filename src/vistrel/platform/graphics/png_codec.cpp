// PNG decoding with libpng's simplified reader (palettes, grey, 16-bit and gamma are
// converted to 8-bit sRGB by the library).
#include <png.h>

#include <bit>
#include <cstring>

#include "vistrel/platform/graphics/image_decoding.hpp"

namespace platform::graphics {

std::optional<DecodedFrames> decodePng(std::string_view bytes) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return std::nullopt;
    if (!withinDecodingLimits(image.width, image.height)) {
        png_image_free(&image);
        return std::nullopt;
    }
    auto bitmap = Bitmap::make(static_cast<int>(image.width), static_cast<int>(image.height));
    if (!bitmap) {
        png_image_free(&image);
        return std::nullopt;
    }
    // Byte order that puts alpha in the top byte of a native 32-bit word.
    image.format = std::endian::native == std::endian::little ? PNG_FORMAT_BGRA : PNG_FORMAT_ARGB;
    if (!png_image_finish_read(&image, nullptr, bitmap->data(), bitmap->stride(), nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    std::uint32_t* pixel = bitmap->data();
    std::uint32_t* end = pixel + std::size_t(bitmap->width()) * std::size_t(bitmap->height());
    for (; pixel != end; ++pixel) {
        std::uint32_t p = *pixel;
        auto a = static_cast<std::uint8_t>(p >> 24);
        if (a != 255)
            *pixel = premultipliedPixel(static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                                        static_cast<std::uint8_t>(p), a);
    }
    DecodedFrames result;
    result.frames.push_back(std::move(*bitmap));
    return result;
}

}  // namespace platform::graphics
