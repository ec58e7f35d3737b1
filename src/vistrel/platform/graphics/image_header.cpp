#include "vistrel/platform/graphics/image_header.hpp"

#include <cstdint>

#include "vistrel/platform/graphics/jpeg_reading.hpp"
#include "vistrel/platform/graphics/picture_ends.hpp"
#include "vistrel/platform/graphics/picture_input.hpp"

namespace platform::graphics {

namespace {

bool startsWith(std::string_view bytes, std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; }

std::uint32_t byteAt(std::string_view bytes, std::size_t at) { return static_cast<std::uint8_t>(bytes[at]); }

std::uint32_t bigEndian32(std::string_view bytes, std::size_t at) {
    return byteAt(bytes, at) << 24 | byteAt(bytes, at + 1) << 16 | byteAt(bytes, at + 2) << 8 | byteAt(bytes, at + 3);
}

// The signature, then the IHDR chunk: length 13, type, width, height, bit depth, colour
// type, compression, filter, interlace.
std::optional<ImageHeader> pngHeader(std::string_view bytes) {
    if (bytes.size() < 33 || bytes.substr(12, 4) != "IHDR" || bigEndian32(bytes, 8) != 13) return std::nullopt;
    const std::uint32_t width = bigEndian32(bytes, 16), height = bigEndian32(bytes, 20);
    if (width > 0x7fffffffu || height > 0x7fffffffu) return std::nullopt;
    return ImageHeader{ImageFormat::png, static_cast<int>(width), static_cast<int>(height), byteAt(bytes, 28) != 0};
}

std::optional<ImageHeader> jpegHeader(std::string_view bytes) {
    PictureBytesInput input(bytes);
    return readJpegHeader(input);
}

// The signature, then the logical screen's width and height, little-endian.
std::optional<ImageHeader> gifHeader(std::string_view bytes) {
    if (bytes.size() < 10) return std::nullopt;
    const auto width = static_cast<int>(byteAt(bytes, 6) | byteAt(bytes, 7) << 8);
    const auto height = static_cast<int>(byteAt(bytes, 8) | byteAt(bytes, 9) << 8);
    return ImageHeader{ImageFormat::gif, width, height, false};
}

}  // namespace

std::optional<ImageFormat> imageFormatOf(std::string_view bytes) {
    if (bytes.starts_with(pngSignature)) return ImageFormat::png;
    if (startsWith(bytes, "\xFF\xD8\xFF")) return ImageFormat::jpeg;
    if (startsWith(bytes, "GIF87a") || startsWith(bytes, "GIF89a")) return ImageFormat::gif;
    return std::nullopt;
}

std::optional<ImageHeader> readImageHeader(std::string_view bytes) {
    const auto format = imageFormatOf(bytes);
    if (!format) return std::nullopt;
    switch (*format) {
    case ImageFormat::png: return pngHeader(bytes);
    case ImageFormat::jpeg: return jpegHeader(bytes);
    case ImageFormat::gif: return gifHeader(bytes);
    }
    return std::nullopt;
}

}  // namespace platform::graphics
