#pragma once
// Hostile pictures for the tests, the benchmarks and the demo, each made from a real one: a progressive
// JPEG followed by thousands of scans that each cost its decoder a pass over a component,
// and a GIF whose frame's data starts with a long run of LZW clear codes; beside them, a
// GIF written as encoders that do not compress write it, with as many clear codes as a
// real picture has, and one of several such frames at the most clear codes a frame may hold;
// PNGs with a long chunk of metadata before their pixels, or whose pixels' data never ends,
// or is as long as deflate may make it, in small chunks, or comes in chunks of one byte, or
// behind chunks of no data, or one of whose chunks has a wrong checksum; JPEGs behind many
// APP1 segments.
#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "png_rows.hpp"
#include "progressive_jpeg.hpp"
#include "vistrel/platform/graphics/picture_ends.hpp"

namespace imagetest {

// A JPEG without its end-of-image marker: its scan's data seems to go on.
inline std::string jpegWithoutItsEnd(std::string jpeg) {
    if (std::string_view(jpeg).ends_with(platform::graphics::jpegEnd)) jpeg.resize(jpeg.size() - platform::graphics::jpegEnd.size());
    return jpeg;
}

// A progressive JPEG of width x height followed by `extraScans` more scans of band 63 of
// its first component. Each scan's data is a few runs of blocks without coefficients
// (the end-of-band runs of the longest kind, from an AC table of one code), so that a
// scan takes about 20 bytes however large the picture, and the decoder still visits
// every block of the component.
inline std::string jpegWithManyScans(int width, int height, int extraScans) {
    std::string jpeg = progressiveJpeg(width, height);
    if (jpeg.size() < 2) return jpeg;
    jpeg = jpegWithoutItsEnd(std::move(jpeg));  // the end-of-image marker goes after the new scans
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
    return jpeg.append(platform::graphics::jpegEnd);
}

// A GIF of width x height frames of four colours (LZW codes from 3 bits), frame i's data
// `frames[i]`, in blocks of 255 bytes.
inline std::string gifWithFrames(int width, int height, const std::vector<std::string>& frames) {
    std::string out;
    const auto bytes = [&out](std::initializer_list<int> values) {
        for (int value : values) out.push_back(static_cast<char>(value));
    };
    const auto le16 = [&bytes](int value) { bytes({value & 0xFF, value >> 8 & 0xFF}); };
    // The screen with a palette of four colours (red, green, blue, white), then for each
    // frame a control extension of 0.1 s, the image descriptor and its code size: the
    // data's blocks follow.
    out.append("GIF89a");
    le16(width);
    le16(height);
    bytes({0x81, 0, 0});
    bytes({0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF});
    for (const std::string& data : frames) {
        bytes({0x21, 0xF9, 0x04, 0, 0x0A, 0, 0, 0});
        bytes({0x2C, 0, 0, 0, 0});
        le16(width);
        le16(height);
        bytes({0, 0x02});
        for (std::size_t from = 0; from < data.size(); from += 255) {
            const std::size_t length = std::min<std::size_t>(255, data.size() - from);
            out += static_cast<char>(length);
            out.append(data, from, length);
        }
        out += '\0';
    }
    return out + ";";
}

// The same with one frame.
inline std::string gifWithData(int width, int height, const std::string& data) {
    return gifWithFrames(width, height, {data});
}

// LZW codes of 3 bits, least significant bit first.
inline std::string packedCodes(const std::vector<unsigned>& codes) {
    std::string data;
    unsigned bits = 0, count = 0;
    for (unsigned code : codes) {
        bits |= code << count;
        for (count += 3; count >= 8; count -= 8, bits >>= 8) data += static_cast<char>(bits & 0xFF);
    }
    if (count) data += static_cast<char>(bits);
    return data;
}

// The codes of a frame's pixels in the colours 0 to 3, one code each, with a clear code
// (4) before every two so that the codes stay 3 bits wide, and the end code (5): how
// encoders that do not compress write a GIF, with the most clear codes a real picture has.
inline std::string uncompressedCodes(int width, int height) {
    std::vector<unsigned> codes;
    for (std::size_t i = 0; i < std::size_t(width) * std::size_t(height); ++i) {
        if (i % 2 == 0) codes.push_back(4);
        codes.push_back(unsigned(i % 7 % 4));
    }
    codes.push_back(5);
    return packedCodes(codes);
}

inline std::string uncompressedGif(int width, int height) {
    return gifWithData(width, height, uncompressedCodes(width, height));
}

// The codes of that picture after `clearBytes` bytes of clear codes: every pixel is
// there, after a run of codes that each start the table over. Eight clear codes fill 3
// bytes, so that the codes after them stay where they were in their bytes.
inline std::string clearCodesThenPixels(int width, int height, std::size_t clearBytes) {
    std::string data;
    data.reserve(clearBytes + std::size_t(width) * std::size_t(height));
    for (std::size_t i = 0; i + 3 <= clearBytes; i += 3) data += "\x24\x49\x92";
    return data + uncompressedCodes(width, height);
}

inline std::string gifWithClearCodes(int width, int height, std::size_t clearBytes) {
    return gifWithData(width, height, clearCodesThenPixels(width, height, clearBytes));
}

// `frames` frames of that picture, each with the most clear codes a frame's data may
// hold: one before every two pixels and 256 more (96 bytes of them) before those.
inline std::string gifAtTheClearCodeBound(int width, int height, int frames) {
    return gifWithFrames(width, height,
                         std::vector<std::string>(std::size_t(frames), clearCodesThenPixels(width, height, 96)));
}

// A PNG whose end chunk claims `length` bytes of data (2 GB at most: 0x7FFFFFFF), as
// though the picture went on past its end.
inline std::string pngWhoseEndClaims(std::string png, std::uint32_t length) {
    if (!std::string_view(png).ends_with(platform::graphics::pngEndChunk)) return png;
    for (int i = 0; i < 4; ++i) png[png.size() - 12 + std::size_t(i)] = static_cast<char>(length >> (24 - 8 * i));
    return png;
}

// A PNG chunk of that type and data, with its checksum.
inline std::string pngChunk(std::string_view type, std::string_view data) {
    std::string chunk;
    const auto put32 = [&chunk](std::uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8) chunk += static_cast<char>(value >> shift);
    };
    put32(static_cast<std::uint32_t>(data.size()));
    chunk.append(type).append(data);
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type.data()), static_cast<uInt>(type.size()));
    // (zlib takes a null pointer for the start of a checksum, as the data of an empty view has.)
    if (!data.empty()) crc = crc32(crc, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
    put32(static_cast<std::uint32_t>(crc));
    return chunk;
}

// A PNG's signature and header chunk, of width x height pixels of 8-bit RGBA, interlaced
// or not: how a file starts whose picture never comes.
inline std::string pngHeader(int width, int height, bool interlaced = false) {
    std::string size;
    for (const int side : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8) size += static_cast<char>(side >> shift);
    return std::string(platform::graphics::pngSignature) +
           pngChunk("IHDR", size + std::string("\x08\x06\0\0", 4) + (interlaced ? '\1' : '\0'));
}

// The PNG with a text chunk of `length` bytes of data right after its header, before its
// pixels, as an editor keeps a long note or history in it.
inline std::string pngWithTextBeforeItsPixels(const std::string& png, std::size_t length) {
    constexpr std::size_t kHeaderEnd = 8 + 25;  // the signature and the header chunk
    if (png.size() < kHeaderEnd || length < 8) return png;
    const std::string text = std::string("Comment", 7) + '\0' + std::string(length - 8, 'n');
    return png.substr(0, kHeaderEnd) + pngChunk("tEXt", text) + png.substr(kHeaderEnd);
}

// The PNG with `count` compressed text chunks after its header, each a few kilobytes that
// inflate to `inflated` bytes.
inline std::string pngWithCompressedTexts(const std::string& png, int count, std::size_t inflated) {
    constexpr std::size_t kHeaderEnd = 8 + 25;  // the signature and the header chunk
    const std::string raw(inflated, 'n');
    uLongf length = compressBound(static_cast<uLong>(raw.size()));
    std::string deflated(length, '\0');
    if (png.size() < kHeaderEnd || compress2(reinterpret_cast<Bytef*>(deflated.data()), &length,
                                             reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()), 9) != Z_OK)
        return png;
    deflated.resize(length);
    std::string texts;
    // A keyword, its end and the compression method, then the text.
    for (int i = 0; i < count; ++i) texts += pngChunk("zTXt", "Comment" + std::to_string(i) + std::string(2, '\0') + deflated);
    return png.substr(0, kHeaderEnd) + texts + png.substr(kHeaderEnd);
}

// The PNG's header, then its pixels' data in chunks of `chunkBytes` up to `totalBytes`: a
// deflate stream of empty blocks that never ends, nor gives a byte.
inline std::string pngWhosePixelDataNeverEnds(const std::string& png, std::size_t chunkBytes, std::size_t totalBytes) {
    std::string data("\x78\x01", 2);  // a zlib header
    while (data.size() < totalBytes) data.append("\x00\x00\x00\xFF\xFF", 5);  // a stored block of no bytes, not the last
    std::string out = png.substr(0, 8 + 25);
    for (std::size_t at = 0; at < data.size(); at += chunkBytes) out += pngChunk("IDAT", data.substr(at, chunkBytes));
    return out;
}

// A zlib stream of `raw` in stored blocks (deflate's bytes kept as they are) of exactly
// `length` bytes: blocks of no data fill it up, a few of them of the fixed codes, whose
// bits shift the stored blocks after them to the next byte. Empty when it cannot be so
// long: shorter than `raw` stored, or 3 bytes longer.
inline std::string storedZlib(std::string_view raw, std::size_t length) {
    constexpr std::size_t kBlock = 65535;
    const std::size_t blocks = (raw.size() + kBlock - 1) / kBlock;
    const std::size_t least = 2 + raw.size() + 5 * blocks + 5 + 4;  // with the last block empty
    if (length < least || length - least == 3) return {};
    std::size_t extra = length - least;
    std::string out("\x78\x01", 2);
    const auto stored = [&out](std::string_view data) {
        out += '\0';
        for (const std::size_t value : {data.size(), data.size() ^ 0xFFFF}) {
            out += static_cast<char>(value & 0xFF);
            out += static_cast<char>(value >> 8 & 0xFF);
        }
        out.append(data);
    };
    for (std::size_t at = 0; at < raw.size(); at += kBlock) stored(raw.substr(at, kBlock));
    // Blocks of the fixed codes with no data take ten bits each (a header, then the end of
    // the block), and the stored block after them starts at the next byte: one or two of
    // them before a stored block lengthen it by as many bytes, three before the last by
    // four.
    const auto fixedThenStored = [&out](int fixed, bool last) {
        std::uint64_t bits = last ? 1 : 0;  // the stored block's header after them
        for (int i = 0; i < fixed; ++i) bits = bits << 10 | 0x2;
        for (int bit = 0; bit < 10 * fixed + 3; bit += 8) out += static_cast<char>(bits >> bit & 0xFF);
        out.append("\x00\x00\xFF\xFF", 4);
    };
    const int lastFixed = extra % 5 == 4 ? 3 : extra % 5 == 3 ? 2 : static_cast<int>(extra % 5);
    extra -= lastFixed == 3 ? 4 : static_cast<std::size_t>(lastFixed);
    if (extra % 5) {  // three: one of them before a block of its own
        fixedThenStored(1, false);
        extra -= 6;
    }
    for (; extra > 0; extra -= 5) fixedThenStored(0, false);
    fixedThenStored(lastFixed, true);
    const uLong adler = adler32(adler32(0, nullptr, 0), reinterpret_cast<const Bytef*>(raw.data()),
                                static_cast<uInt>(raw.size()));
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(adler >> shift & 0xFF);
    return out;
}

// The data of a PNG's pixels: that of its IDAT chunks, one after the other.
inline std::string pngPixelData(std::string_view png) {
    std::string data;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        std::size_t length = 0;
        for (std::size_t i = 0; i < 4; ++i) length = length << 8 | static_cast<std::uint8_t>(png[at + i]);
        if (png.substr(at + 4, 4) == "IDAT") data.append(png.substr(at + 8, length));
        at += 12 + length;
    }
    return data;
}

// The PNG with its pixels' data replaced by `data`, in IDAT chunks of the sizes of
// `chunkBytes` in turn, over and over (a size of 0: a chunk of no data).
inline std::string pngWithPixelData(const std::string& png, std::string_view data,
                                    const std::vector<std::size_t>& chunkBytes) {
    std::size_t cycle = 0;
    for (const std::size_t bytes : chunkBytes) cycle += bytes;
    std::string out = png.substr(0, 8 + 25);  // the signature and the header chunk
    if (cycle == 0) return out;
    out.reserve(out.size() + data.size() + (data.size() * chunkBytes.size() / cycle + 1) * 12 +
                platform::graphics::pngEndChunk.size());
    for (std::size_t at = 0, turn = 0; at < data.size(); turn = (turn + 1) % chunkBytes.size()) {
        out += pngChunk("IDAT", data.substr(at, chunkBytes[turn]));
        at += chunkBytes[turn];
    }
    return out.append(platform::graphics::pngEndChunk);
}

// The same in chunks of one size.
inline std::string pngWithPixelData(const std::string& png, std::string_view data, std::size_t chunkBytes) {
    return pngWithPixelData(png, data, std::vector<std::size_t>{chunkBytes});
}

// The PNG with the checksum of its IDAT chunk number `index` (from 0) made wrong.
inline std::string pngWithPixelChunkDamaged(std::string png, std::size_t index) {
    for (std::size_t at = 8; at + 12 <= png.size();) {
        std::size_t length = 0;
        for (std::size_t i = 0; i < 4; ++i) length = length << 8 | static_cast<std::uint8_t>(png[at + i]);
        if (png.compare(at + 4, 4, "IDAT") == 0 && index-- == 0) {
            png[at + 8 + length] = static_cast<char>(png[at + 8 + length] ^ 1);
            break;
        }
        at += 12 + length;
    }
    return png;
}

// The PNG with `count` IDAT chunks of no data after its header, before its pixels' data in
// chunks of `chunkBytes`.
inline std::string pngBehindEmptyPixelChunks(const std::string& png, std::size_t count, std::size_t chunkBytes) {
    const std::string empty = pngChunk("IDAT", {});
    std::string chunks;
    chunks.reserve(count * empty.size());
    for (std::size_t i = 0; i < count; ++i) chunks += empty;
    const std::string moved = pngWithPixelData(png, pngPixelData(png), chunkBytes);
    return moved.substr(0, 8 + 25) + chunks + moved.substr(8 + 25);
}

// A photo's worth of gradients, whose pixels' data comes in chunks of one byte each, as a
// writer that hands on each byte deflate gives as it comes writes it: 4000 x 2000 take 1.6
// million chunks, 19.8 MB of their framing (interlaced, 3.3 million, 39.0 MB).
inline std::string gradientsInOneByteChunks(int width, int height, bool interlaced = false) {
    const std::string png = encodePngRows(
        width, height,
        [width](int y, std::uint8_t* rgba) {
            for (int x = 0; x < width; ++x) {
                const std::uint8_t pixel[] = {std::uint8_t(x * 7 / 100), std::uint8_t(y / 8), std::uint8_t((x + y) / 8),
                                              255};
                std::copy(pixel, pixel + 4, rgba + 4 * x);
            }
        },
        interlaced);
    return pngWithPixelData(png, pngPixelData(png), 1);
}

// APP1 segments that hold no Exif block (XMP, say), `count` of `length` bytes each (65,537
// at most, with the marker).
inline std::string jpegApp1Segments(int count, std::size_t length) {
    std::string segment("\xFF\xE1", 2);
    segment += static_cast<char>((length - 2) >> 8);
    segment += static_cast<char>((length - 2) & 0xFF);
    segment += std::string("http://ns.adobe.com/xap/1.0/\0", 29);
    segment.resize(length, 'x');
    std::string segments;
    segments.reserve(segment.size() * std::size_t(count));
    for (int i = 0; i < count; ++i) segments += segment;
    return segments;
}

// The JPEG with segments of metadata (APP15, of no meaning) after its start, as many as
// make its first scan's header end at `firstScanEnd` bytes from the start of the file.
inline std::string jpegWithMetadataUpTo(const std::string& jpeg, std::size_t firstScanEnd) {
    const std::size_t scan = jpeg.find("\xFF\xDA");
    if (scan == std::string::npos || scan + 4 > jpeg.size()) return jpeg;
    const std::size_t scanEnd = scan + 2 + (std::size_t(std::uint8_t(jpeg[scan + 2])) << 8 | std::uint8_t(jpeg[scan + 3]));
    if (firstScanEnd < scanEnd + 4) return jpeg;
    std::size_t fill = firstScanEnd - scanEnd;
    std::string segments;
    segments.reserve(fill);
    while (fill > 0) {
        // Segments of at most 65,537 bytes; none left under 4 (a marker and a length).
        std::size_t segment = std::min<std::size_t>(fill, 65537);
        if (fill - segment > 0 && fill - segment < 4) segment -= 4;
        const std::size_t length = segment - 2;
        segments += std::string("\xFF\xEF", 2);
        segments += static_cast<char>(length >> 8);
        segments += static_cast<char>(length & 0xFF);
        segments.append(length - 2, 'm');
        fill -= segment;
    }
    return jpeg.substr(0, 2) + segments + jpeg.substr(2);
}

// A JPEG whose frame claims `width` x `height` pixels (its markers followed from the
// start to the first start of frame); its tables and scans stay as they were.
inline std::string jpegWithFrameSize(std::string jpeg, int width, int height) {
    for (std::size_t at = 2; at + 9 <= jpeg.size() && jpeg[at] == '\xFF';) {
        const auto marker = static_cast<std::uint8_t>(jpeg[at + 1]);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            jpeg[at + 5] = static_cast<char>(height >> 8), jpeg[at + 6] = static_cast<char>(height);
            jpeg[at + 7] = static_cast<char>(width >> 8), jpeg[at + 8] = static_cast<char>(width);
            break;
        }
        at += 2 + (static_cast<std::size_t>(static_cast<std::uint8_t>(jpeg[at + 2])) << 8 |
                   static_cast<std::uint8_t>(jpeg[at + 3]));
    }
    return jpeg;
}

}  // namespace imagetest
