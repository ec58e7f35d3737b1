#pragma once
// What the compressed data of a GIF frame may hold (internal to platform/graphics). Every
// LZW code gives at least one pixel but the clear code, which starts the code table over.
// Encoders clear when the table is full, every few thousand codes; those that store
// pixels uncompressed clear every few codes, at most once for every two pixels. Data far
// beyond that gives no picture, only work: a frame of endless clear codes would hold a
// thread for as long as it runs.
#include <cstddef>
#include <string_view>

namespace platform::graphics {

// The most clear codes in the data of a frame of `pixels` pixels: one for every two
// pixels, and some to spare for the smallest frames.
long long maxGifClearCodes(long long pixels);
// The most bytes of such data: every pixel and clear code a code of the widest size (12
// bits), in blocks of at most 255 bytes, and a kilobyte to spare.
long long maxGifFrameDataBytes(long long pixels);

// Whether the data of a frame of `pixels` pixels, its blocks from `at` in `bytes` and its
// codes starting at `codeSize` + 1 bits, stays within both bounds. Only the codes' sizes
// are followed, not the table, and only as far as the end of the data or a bound.
bool gifFrameDataWithinBounds(std::string_view bytes, std::size_t at, int codeSize, long long pixels);

}  // namespace platform::graphics
