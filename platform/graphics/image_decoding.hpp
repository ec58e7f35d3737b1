#pragma once
// The codecs behind Image::decode (internal to platform/graphics).
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/bitmap.hpp"

namespace platform::graphics {

struct DecodedFrames {
    std::vector<Bitmap> frames;
    double duration = 0;  // seconds, 0 for a still picture
};

// Picks the codec by the leading bytes.
std::optional<DecodedFrames> decodeImageData(std::string_view bytes);
std::optional<DecodedFrames> decodePng(std::string_view bytes);
std::optional<DecodedFrames> decodeJpeg(std::string_view bytes);
std::optional<DecodedFrames> decodeGif(std::string_view bytes);

// The file's bytes; none when it cannot be read or is larger than any picture we take.
std::optional<std::string> readImageFile(const std::filesystem::path& path);

}  // namespace platform::graphics
