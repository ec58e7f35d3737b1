#pragma once
// GIF files for the kit's tests, made with giflib: frames of one colour each.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics/image_fixtures.hpp"

namespace uitest {

inline const std::vector<imagetest::Rgba> kPalette = {
    {255, 0, 0, 255}, {0, 0, 255, 255}, {0, 255, 0, 255}, {255, 255, 255, 255}};

// A frame over the whole screen in palette colour `index`.
inline imagetest::GifFrame solidFrame(int width, int height, std::uint8_t index, int delayHundredths) {
    return {0, 0, width, height, std::vector<std::uint8_t>(std::size_t(width) * height, index), delayHundredths,
            DISPOSAL_UNSPECIFIED, NO_TRANSPARENT_COLOR};
}

// A GIF of `width` x `height` with one solid frame per delay (hundredths of a second).
inline std::string gifWithDelays(const std::vector<int>& delays, int width = 4, int height = 4) {
    std::vector<imagetest::GifFrame> frames;
    for (std::size_t i = 0; i < delays.size(); ++i)
        frames.push_back(solidFrame(width, height, std::uint8_t(i % 4), delays[i]));
    return imagetest::encodeGif(width, height, kPalette, frames);
}

}  // namespace uitest
