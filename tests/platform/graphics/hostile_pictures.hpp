#pragma once
// Hostile pictures for the tests and benchmarks, each made from a real one: a progressive
// JPEG followed by thousands of scans that each cost its decoder a pass over a component,
// and a GIF whose frame's data starts with a long run of LZW clear codes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "image_fixtures.hpp"
#include "progressive_jpeg.hpp"

namespace imagetest {

// A progressive JPEG of width x height followed by `extraScans` more scans of band 63 of
// its first component. Each scan's data is a few runs of blocks without coefficients
// (the end-of-band runs of the longest kind, from an AC table of one code), so that a
// scan takes about 20 bytes however large the picture, and the decoder still visits
// every block of the component.
inline std::string jpegWithManyScans(int width, int height, int extraScans) {
    std::string jpeg = progressiveJpeg(width, height);
    if (jpeg.size() < 2) return jpeg;
    jpeg.resize(jpeg.size() - 2);  // the end-of-image marker goes after the new scans
    // AC table 3: one code, "0", for the symbol E0 (a run of 2^14 blocks and 14 more bits).
    jpeg += std::string("\xFF\xC4\x00\x14\x13\x01", 6) + std::string(15, '\0') + "\xE0";
    // Runs of 2^14 + (2^14 - 1) blocks each, enough for every block of the first component
    // (sampled at most twice as finely as the picture is wide and high).
    const long long blocks = (static_cast<long long>(width) + 7) / 8 * ((static_cast<long long>(height) + 7) / 8);
    std::string data;
    unsigned bits = 0, count = 0;
    auto put = [&](unsigned value, unsigned length) {
        for (unsigned i = length; i-- > 0;) {
            bits = bits << 1 | ((value >> i) & 1);
            if (++count == 8) {
                data += static_cast<char>(bits);
                if ((bits & 0xFF) == 0xFF) data += '\0';  // a data byte 0xFF is followed by a zero
                bits = count = 0;
            }
        }
    };
    for (long long run = 0; run < blocks; run += 32767) put(0x3FFF, 15);  // "0" then fourteen ones
    if (count) put(0xFF, 8 - count);                                      // the last byte filled with ones
    const std::string scan = std::string("\xFF\xDA\x00\x08\x01\x01\x03\x3F\x3F\x00", 10) + data;
    jpeg.reserve(jpeg.size() + scan.size() * std::size_t(extraScans) + 2);
    for (int i = 0; i < extraScans; ++i) jpeg += scan;
    return jpeg + "\xFF\xD9";
}

// A GIF of one width x height frame (four colours, LZW codes of 3 bits) whose data starts
// with `clearBytes` bytes of clear codes, then holds the frame's pixels as the encoder wrote
// them: every pixel is there, after a run of codes that each start the table over.
inline std::string gifWithClearCodes(int width, int height, std::size_t clearBytes) {
    std::vector<std::uint8_t> indices(std::size_t(width) * std::size_t(height));
    for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint8_t>((i / 3 + i / 7) % 4);
    const std::string gif =
        encodeGif(width, height, {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}},
                  {{0, 0, width, height, indices, 10, DISPOSAL_UNSPECIFIED, NO_TRANSPARENT_COLOR}});
    // The screen (its palette of 4 colours), the control extension, then the image
    // descriptor and its code size: the data's blocks follow.
    const std::size_t descriptor = gif.find(',', 13 + 12 + 8);
    std::size_t at = descriptor + 10 + 1;
    std::string data;
    while (at < gif.size() && gif[at] != '\0') {
        const std::size_t length = static_cast<std::uint8_t>(gif[at]);
        data.append(gif, at + 1, length);
        at += 1 + length;
    }
    // Eight clear codes (the value 4 in 3 bits, least significant bit first) fill 3 bytes,
    // so that the codes after them stay where the encoder put them in their bytes.
    std::string clears;
    clears.reserve(clearBytes / 3 * 3 + data.size());
    for (std::size_t i = 0; i + 3 <= clearBytes; i += 3) clears += "\x24\x49\x92";
    data = clears + data;
    std::string out = gif.substr(0, descriptor + 11);
    out.reserve(out.size() + data.size() + data.size() / 255 + 3);
    for (std::size_t from = 0; from < data.size(); from += 255) {
        const std::size_t length = std::min<std::size_t>(255, data.size() - from);
        out += static_cast<char>(length);
        out.append(data, from, length);
    }
    return out + std::string("\0;", 2);
}

}  // namespace imagetest
