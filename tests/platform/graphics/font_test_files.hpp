#pragma once
// Font files the font tests read: the system's DejaVu and Liberation fonts and the
// fonts the build makes for the bundle.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fonttest {

inline const std::filesystem::path dejavu = "/usr/share/fonts/truetype/dejavu";
inline const std::filesystem::path liberation = "/usr/share/fonts/truetype/liberation2";
inline const std::filesystem::path bundle = VISTREL_BUILD_BUNDLE;

inline std::vector<unsigned char> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace fonttest
