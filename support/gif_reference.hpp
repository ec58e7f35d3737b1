#pragma once
// GIFs of one frame in a palette of 256 colours whose red tells the index, and the colour
// indices giflib's own decoder reads from such a file (and the pixels they stand for):
// the reference the kit's GIF decoder is compared with, in the tests and the GIF fuzz
// target.
#include <gif_lib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vistrel/platform/graphics/bitmap.hpp"

namespace imagetest {

// Colour i of the palette: a red of i.
inline GifColorType paletteColour(int i) {
    return {static_cast<GifByteType>(i), static_cast<GifByteType>(255 - i), static_cast<GifByteType>(i * 7)};
}

// A GIF whose screen is its one frame of width x height, in the palette, whose data (LZW
// codes from `codeSize` + 1 bits) is `data`, in blocks of 255 bytes.
inline std::string gifOfOneFrame(int width, int height, int codeSize, bool interlaced, std::string_view data) {
    std::string out = "GIF89a";
    const auto le16 = [&out](int value) { out += {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)}; };
    le16(width);
    le16(height);
    out += {'\xF7', 0, 0};
    for (int i = 0; i < 256; ++i) {
        const GifColorType c = paletteColour(i);
        out += {static_cast<char>(c.Red), static_cast<char>(c.Green), static_cast<char>(c.Blue)};
    }
    out += {',', 0, 0, 0, 0};
    le16(width);
    le16(height);
    out += {static_cast<char>(interlaced ? 0x40 : 0), static_cast<char>(codeSize)};
    for (std::size_t from = 0; from < data.size(); from += 255) {
        out += static_cast<char>(std::min<std::size_t>(255, data.size() - from));
        out.append(data.substr(from, 255));
    }
    return out + std::string("\0;", 2);
}

// The indices giflib's decoder reads from a GIF of one frame, rows in place; none when it
// reads no such frame.
inline std::optional<std::vector<std::uint8_t>> giflibIndices(const std::string& gif) {
    struct Input {
        const std::string& bytes;
        std::size_t at = 0;
    } input{gif};
    const auto read = [](GifFileType* file, GifByteType* to, int count) {
        auto* in = static_cast<Input*>(file->UserData);
        const std::size_t n = std::min(static_cast<std::size_t>(std::max(count, 0)), in->bytes.size() - in->at);
        std::copy_n(in->bytes.data() + in->at, n, reinterpret_cast<char*>(to));
        in->at += n;
        return static_cast<int>(n);
    };
    int error = 0;
    GifFileType* file = DGifOpen(&input, read, &error);
    if (!file) return std::nullopt;
    std::optional<std::vector<std::uint8_t>> indices;
    if (DGifSlurp(file) == GIF_OK && file->ImageCount == 1) {
        const SavedImage& image = file->SavedImages[0];
        indices.emplace(image.RasterBits,
                        image.RasterBits + std::size_t(image.ImageDesc.Width) * std::size_t(image.ImageDesc.Height));
    }
    DGifCloseFile(file, &error);
    return indices;
}

// The same as the kit's pixels (opaque, in the drawing engine's layout).
inline std::optional<std::vector<std::uint32_t>> giflibPixels(const std::string& gif) {
    const auto indices = giflibIndices(gif);
    if (!indices) return std::nullopt;
    std::vector<std::uint32_t> pixels;
    pixels.reserve(indices->size());
    for (const std::uint8_t index : *indices) {
        const GifColorType c = paletteColour(index);
        pixels.push_back(platform::graphics::premultipliedPixel(c.Red, c.Green, c.Blue, 255));
    }
    return pixels;
}

}  // namespace imagetest
