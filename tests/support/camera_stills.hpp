#pragma once
// Real JPEG files for the camera's tests: pictures of vertical stripes of solid colour,
// encoded with the graphics layer's JPEG encoder and written into a folder.
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/graphics/color.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/graphics/jpeg_encoding.hpp"

namespace testsupport {

// Stripes of equal width, left to right, as JPEG bytes.
inline std::string stripesJpeg(const std::vector<platform::graphics::Color>& stripes, int width, int height) {
    auto bitmap = platform::graphics::Bitmap::make(width, height);
    const int count = static_cast<int>(stripes.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) bitmap->setPixel(x, y, stripes[std::size_t(x * count / width)]);
    return *platform::graphics::encodeJpeg(*platform::graphics::Image::make(std::move(*bitmap)), 0.95);
}

inline std::string solidJpeg(platform::graphics::Color color, int width = 16, int height = 12) {
    return stripesJpeg({color}, width, height);
}

inline std::filesystem::path writeStill(const std::filesystem::path& file, const std::string& bytes) {
    std::filesystem::create_directories(file.parent_path());
    platform::writeFileAtomically(file, bytes);
    return file;
}

// Whether two colours agree within what JPEG compression changes.
inline bool closeColor(platform::graphics::Color a, platform::graphics::Color b, double tolerance = 0.08) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance &&
           std::abs(a.a - b.a) <= tolerance;
}

}  // namespace testsupport
