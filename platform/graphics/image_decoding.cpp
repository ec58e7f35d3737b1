#include "platform/graphics/image_decoding.hpp"

#include <fstream>
#include <iterator>

namespace platform::graphics {

std::optional<DecodedFrames> decodeImageData(std::string_view) { return std::nullopt; }
std::optional<DecodedFrames> decodePng(std::string_view) { return std::nullopt; }
std::optional<DecodedFrames> decodeJpeg(std::string_view) { return std::nullopt; }
std::optional<DecodedFrames> decodeGif(std::string_view) { return std::nullopt; }

std::optional<std::string> readImageFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

}  // namespace platform::graphics
