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

// The 24 private-use code points the icon font maps.
inline const std::vector<char32_t> iconCodePoints = {
    0xE900, 0xE901, 0xE902, 0xE903, 0xE904, 0xE905, 0xE906, 0xE907, 0xE908, 0xE909,
    0xE910, 0xE911, 0xE912, 0xE913, 0xE914, 0xE915, 0xE916, 0xE917, 0xE918, 0xE919,
    0xE920, 0xE921, 0xE922, 0xE923,
};

}  // namespace fonttest
