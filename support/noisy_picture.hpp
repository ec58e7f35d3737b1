#pragma once
// A picture of noise that no encoder compresses much: a photo of some hundred kilobytes
// as a JPEG, so that writing it takes several pieces. The same seed gives the same picture.
#include <cstdint>

#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/graphics/image.hpp"

namespace testsupport {

inline platform::graphics::Image noisyPicture(std::uint32_t seed, int width = 600, int height = 400) {
    auto bitmap = *platform::graphics::Bitmap::make(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            bitmap.setPixel(x, y, {(seed >> 24) / 255.0, ((seed >> 16) & 0xff) / 255.0, ((seed >> 8) & 0xff) / 255.0, 1});
        }
    return *platform::graphics::Image::make(std::move(bitmap));
}

}  // namespace testsupport
