#pragma once
// PNG files of any size written row by row with libpng, so that a test, a benchmark or
// the demo can make a picture of 8192 x 8192 without holding its pixels: each row comes
// from a function. Interlaced (Adam7) files too, whose rows libpng needs all at once.
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace imagetest {

// Fills one row of straight RGBA bytes (width * 4) for row y.
using PngRowFunction = std::function<void(int y, std::uint8_t* rgba)>;

inline void appendPngBytes(png_structp png, png_bytep data, png_size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

inline std::string encodePngRows(int width, int height, const PngRowFunction& row, bool interlaced = false) {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, appendPngBytes, nullptr);
    png_set_compression_level(png, 9);
    png_set_compression_strategy(png, Z_RLE);
    png_set_filter(png, 0, PNG_FILTER_UP);  // rows alike become zeros, quick to compress
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<std::uint8_t> line(std::size_t(width) * 4);
    if (interlaced) {
        std::vector<std::uint8_t> all(line.size() * std::size_t(height));
        std::vector<png_bytep> rows(static_cast<std::size_t>(height));
        for (int y = 0; y < height; ++y) {
            rows[std::size_t(y)] = &all[line.size() * std::size_t(y)];
            row(y, rows[std::size_t(y)]);
        }
        png_write_image(png, rows.data());
    } else {
        for (int y = 0; y < height; ++y) {
            row(y, line.data());
            png_write_row(png, line.data());
        }
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// Left half `left`, right half `right`, every row alike: it compresses to almost nothing.
inline std::string twoColourPng(int width, int height, std::array<std::uint8_t, 4> left,
                                std::array<std::uint8_t, 4> right, bool interlaced = false) {
    std::vector<std::uint8_t> line(std::size_t(width) * 4);
    for (int x = 0; x < width; ++x)
        for (std::size_t c = 0; c < 4; ++c) line[std::size_t(x) * 4 + c] = x < width / 2 ? left[c] : right[c];
    return encodePngRows(
        width, height, [&](int, std::uint8_t* rgba) { std::copy(line.begin(), line.end(), rgba); }, interlaced);
}

}  // namespace imagetest
