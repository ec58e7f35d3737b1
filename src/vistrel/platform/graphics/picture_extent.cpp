#include "vistrel/platform/graphics/picture_extent.hpp"

#include <algorithm>
#include <cstdint>

#include "vistrel/platform/graphics/gif_frame_data.hpp"
#include "vistrel/platform/graphics/image_header.hpp"

namespace platform::graphics {

namespace {

unsigned byteAt(std::string_view bytes, std::size_t at) { return static_cast<std::uint8_t>(bytes[at]); }

std::uint32_t bigEndian32(std::string_view bytes, std::size_t at) {
    return byteAt(bytes, at) << 24 | byteAt(bytes, at + 1) << 16 | byteAt(bytes, at + 2) << 8 | byteAt(bytes, at + 3);
}

bool isLetter(unsigned c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The bits of a PNG pixel for each colour type: grey, -, RGB, palette, grey and alpha, -,
// RGBA.
int pngChannels(unsigned colourType) {
    constexpr int channels[] = {1, 0, 3, 1, 2, 0, 4};
    return colourType < 7 ? channels[colourType] : 0;
}

// The size of a GIF's colour table from its flags: none, or 3 bytes for each of 2^(n+1)
// colours.
std::size_t gifColourTable(unsigned flags) { return flags & 0x80 ? std::size_t(3) << ((flags & 7) + 1) : 0; }

}  // namespace

std::optional<std::size_t> PictureExtent::within(std::size_t at) const {
    if (static_cast<long long>(at) > allowed_) return static_cast<std::size_t>(allowed_);
    return std::nullopt;
}

std::optional<std::size_t> PictureExtent::length(std::string_view bytes) {
    if (kind_ == Kind::unknown) {
        if (bytes.size() < 8) return std::nullopt;
        const auto format = imageFormatOf(bytes);
        if (!format) return bytes.size();
        kind_ = *format == ImageFormat::png ? Kind::png : *format == ImageFormat::gif ? Kind::gif : Kind::jpeg;
        if (kind_ == Kind::png) at_ = 8;
    }
    switch (kind_) {
    case Kind::png: return pngLength(bytes);
    case Kind::gif: return gifLength(bytes);
    case Kind::jpeg: return jpegLength(bytes);
    case Kind::unknown: break;
    }
    return bytes.size();
}

// Chunks of a length, a type of four letters, the data and a checksum; the header first.
std::optional<std::size_t> PictureExtent::pngLength(std::string_view bytes) {
    while (at_ + 8 <= bytes.size()) {
        if (auto cut = within(at_)) return cut;
        const std::uint32_t length = bigEndian32(bytes, at_);
        const std::string_view type = bytes.substr(at_ + 4, 4);
        if (length > 0x7fffffffu || !std::all_of(type.begin(), type.end(), [](char c) { return isLetter(std::uint8_t(c)); }))
            return at_;
        const std::size_t next = at_ + 12 + length;
        if (at_ == 8 && type == "IHDR" && length >= 13) {
            if (at_ + 8 + 13 > bytes.size()) return std::nullopt;
            const long long width = bigEndian32(bytes, 16), height = bigEndian32(bytes, 20);
            const long long bits = pngChannels(byteAt(bytes, 25)) * static_cast<long long>(byteAt(bytes, 24));
            if (width <= 0x7fffffff && height <= 0x7fffffff && bits <= 64)  // else the decoder refuses it
                allowed_ += 2 * height * (1 + (width * bits + 7) / 8);
        }
        if (type == "IEND") return next;
        at_ = next;
    }
    return within(at_);
}

// The screen and its colour table, then records: extensions and images, each followed by
// data blocks, and the trailer.
std::optional<std::size_t> PictureExtent::gifLength(std::string_view bytes) {
    if (at_ == 0) {
        if (bytes.size() < 13) return std::nullopt;
        at_ = 13 + gifColourTable(byteAt(bytes, 10));
    }
    while (at_ < bytes.size()) {
        if (auto cut = within(at_)) return cut;
        const unsigned record = byteAt(bytes, at_);
        if (inBlocks_) {
            inBlocks_ = record != 0;
            at_ += 1 + record;
        } else if (record == ';') {
            return at_ + 1;
        } else if (record == '!') {
            at_ += 2;
            inBlocks_ = true;
        } else if (record == ',') {
            if (at_ + 10 > bytes.size()) return std::nullopt;
            const long long pixels = static_cast<long long>(byteAt(bytes, at_ + 5) | byteAt(bytes, at_ + 6) << 8) *
                                     (byteAt(bytes, at_ + 7) | byteAt(bytes, at_ + 8) << 8);
            const std::size_t header = 10 + gifColourTable(byteAt(bytes, at_ + 9)) + 1;  // and the code size
            allowed_ += static_cast<long long>(header) + maxGifFrameDataBytes(pixels);
            at_ += header;
            inBlocks_ = true;
        } else {
            return at_;  // no record: the decoder stops here
        }
    }
    return within(at_);
}

std::optional<std::size_t> PictureExtent::jpegLength(std::string_view bytes) {
    jpeg_.walk(bytes);
    if (jpeg_.ended() || jpeg_.damaged()) return jpeg_.position();
    if (jpeg_.frame()) allowed_ = maxPictureMetadataBytes + 2 * jpeg_.frame()->coefficientBytes();
    return within(bytes.size());
}

}  // namespace platform::graphics
