#include "vistrel/platform/graphics/picture_extent.hpp"

#include <png.h>

#include <algorithm>
#include <cstdint>
#include <limits>

#include "vistrel/platform/graphics/byte_window.hpp"
#include "vistrel/platform/graphics/gif_frame_data.hpp"
#include "vistrel/platform/graphics/image_decoding.hpp"
#include "vistrel/platform/graphics/image_header.hpp"
#include "vistrel/platform/graphics/picture_ends.hpp"

namespace platform::graphics {

namespace {

bool isLetter(unsigned c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The bits of a PNG pixel for each colour type: grey, -, RGB, palette, grey and alpha, -,
// RGBA.
int pngChannels(unsigned colourType) {
    constexpr int channels[] = {1, 0, 3, 1, 2, 0, 4};
    return colourType < 7 ? channels[colourType] : 0;
}

// The rows a PNG's pixels are stored in before deflate, a filter byte and the packed
// pixels each: those of its seven passes when it is interlaced.
long long pngRawBytes(long long width, long long height, long long bitsPerPixel, bool interlaced) {
    const auto rows = [&](long long w, long long h) { return w > 0 && h > 0 ? h * (1 + (w * bitsPerPixel + 7) / 8) : 0; };
    if (!interlaced) return rows(width, height);
    struct Pass {
        int left, top, across, down;
    };
    constexpr Pass passes[] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                               {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    long long total = 0;
    for (const Pass& p : passes)
        total += rows((width - p.left + p.across - 1) / p.across, (height - p.top + p.down - 1) / p.down);
    return total;
}

// Deflate stores a byte in nine bits at most (a literal of the fixed codes, as encoders
// that do not compress write them; stored blocks take less), beside its header, block
// headers and checksum.
long long deflatedAtMost(long long raw) { return raw + raw / 8 + 1024; }

// The framing of a PNG chunk: its length, its type and its checksum.
constexpr long long kPngChunkFraming = 12;

// The framing of a PNG's chunks of its pixels' data (`framing` bytes of it, for `data`
// bytes of their data) past a chunk for each byte of that data (a writer that hands on
// each byte deflate gives as it comes): that of chunks of no data, in the main. Only such
// framing is held to an allowance, so that what its decoder walks through is bounded by
// the data it gets, whatever the header claims.
long long pngFramingPastItsData(long long framing, long long data) {
    return std::max(0LL, framing - kPngChunkFraming * data);
}

// The size of a GIF's colour table from its flags: none, or 3 bytes for each of 2^(n+1)
// colours.
std::size_t gifColourTable(unsigned flags) { return flags & 0x80 ? std::size_t(3) << ((flags & 7) + 1) : 0; }

// What a JPEG may hold beside the data of its scans once its first scan starts: the
// tables of the scans that follow (a few hundred bytes each, and at most maxJpegScans
// scans are decoded), their headers, and what comes after the last.
constexpr long long kJpegSegmentsAfterFirstScan = 1LL << 20;

// The longest chunk libpng keeps (its limit on what it reads of a chunk other than the
// pixels' data): it passes over a longer ancillary chunk unread, so the picture decodes
// the same with it left out.
constexpr long long kPngLongestChunkKept = PNG_USER_CHUNK_MALLOC_MAX;

// A PNG chunk whose type starts with a small letter may be passed over by a decoder that
// does not know it; one with a capital is needed.
bool isAncillary(std::string_view type) { return type[0] >= 'a' && type[0] <= 'z'; }

// A GIF frame's descriptor, colour table and code size, at their largest.
constexpr long long kMaxGifFrameHeader = 10 + 3 * 256 + 1;

}  // namespace

PictureExtent::PictureExtent(const DisplayDecodingLimits& limits)
    : limits_(limits), atMost_(std::numeric_limits<long long>::max()) {}

std::optional<std::size_t> PictureExtent::within(std::size_t at) const {
    if (static_cast<long long>(at) >= allowed_) return static_cast<std::size_t>(allowed_);
    return std::nullopt;
}

void PictureExtent::bound(long long bytes) {
    atMost_ = std::min(atMost_, bytes);
    allowed_ = std::min(allowed_, atMost_);
}

std::size_t PictureExtent::resumeAt() const {
    if (kind_ == Kind::jpeg) return jpeg_.position();
    return at_;
}

std::optional<std::pair<std::size_t, std::size_t>> PictureExtent::leftOutAfter(std::size_t offset) const {
    for (const auto& part : leftOut_)
        if (part.second > offset) return part;
    return std::nullopt;
}

std::optional<std::size_t> PictureExtent::length(std::string_view bytes, std::size_t from) {
    const ByteWindow window{bytes, from};
    if (kind_ == Kind::unknown) {
        if (window.end() < 8) return std::nullopt;
        const auto format = imageFormatOf(bytes);
        if (!format) return window.end();
        kind_ = *format == ImageFormat::png ? Kind::png : *format == ImageFormat::gif ? Kind::gif : Kind::jpeg;
        if (kind_ == Kind::png) at_ = 8;
    }
    switch (kind_) {
    case Kind::png: return pngLength(window);
    case Kind::gif: return gifLength(window);
    case Kind::jpeg: return jpegLength(window);
    case Kind::unknown: break;
    }
    return window.end();
}

// Chunks of a length, a type of four letters, the data and a checksum; the header first.
// The pixels' data (IDAT chunks) and the metadata (every other chunk) each keep to their
// own allowance, so that neither takes the other's: a long text or profile beside a photo
// leaves the photo's data all its room.
std::optional<std::size_t> PictureExtent::pngLength(const ByteWindow& bytes) {
    while (at_ + 8 <= bytes.end()) {
        const std::uint32_t length = bytes.bigEndian32(at_);
        const std::string_view type = bytes.part(at_ + 4, 4);
        if (length > 0x7fffffffu || !std::all_of(type.begin(), type.end(), [](char c) { return isLetter(std::uint8_t(c)); }))
            return at_;
        const long long chunk = kPngChunkFraming + length;
        const std::size_t next = at_ + static_cast<std::size_t>(chunk);
        if (at_ == 8 && type == "IHDR" && length >= 13) {
            if (at_ + 8 + 13 > bytes.end()) return std::nullopt;
            const long long width = bytes.bigEndian32(16), height = bytes.bigEndian32(20);
            const long long bits = pngChannels(bytes.at(25)) * static_cast<long long>(bytes.at(24));
            const bool interlaced = bytes.at(28) != 0;
            // A header its decode refuses: nothing after it is read.
            if (!withinDecodingLimits(width, height) || bits < 1 || bits > 64 ||
                (interlaced && width * height > limits_.maxWholePixels))
                return next;
            pixelDataAllowed_ = deflatedAtMost(pngRawBytes(width, height, bits, interlaced));
            // The metadata and the framing of the pixels' chunks past their data within its
            // allowance, the data, and a chunk's framing for each byte of it.
            bound(8 + maxPictureMetadataBytes + (1 + kPngChunkFraming) * pixelDataAllowed_);
        }
        // The framing of the pixels' chunks past their data so far, which the metadata's
        // allowance holds beside the metadata.
        const long long framingPastData = pngFramingPastItsData(pixelFraming_, pixelData_);
        if (type == "IDAT") {
            // The pixels' data: at most their raw rows as deflate stores them at worst. Its
            // chunks' framing is allowed by the data seen, a chunk for each byte of it, so
            // that data cut into the smallest chunks keeps all its room beside any metadata;
            // past that it is metadata, and chunks of no data stop within its allowance.
            const long long data = pixelData_ + length, framing = pixelFraming_ + kPngChunkFraming;
            if (data > pixelDataAllowed_ || metadata_ + pngFramingPastItsData(framing, data) > maxPictureMetadataBytes)
                return at_;
            pixelData_ = data;
            pixelFraming_ = framing;
        } else if (isAncillary(type) && length > kPngLongestChunkKept) {
            // Metadata the decoder would pass over: left out, never read.
            leftOut_.emplace_back(at_, next);
        } else {
            // Other metadata, within its allowance.
            if (metadata_ + framingPastData + chunk > maxPictureMetadataBytes) return at_;
            metadata_ += chunk;
        }
        // A chunk past its allowance has ended the picture where it starts (an end chunk
        // that claims gigabytes, say).
        if (type == pngEndChunkType) return next;
        at_ = next;
    }
    return std::nullopt;
}

// The screen and its colour table, then records: extensions and images, each followed by
// data blocks, and the trailer.
std::optional<std::size_t> PictureExtent::gifLength(const ByteWindow& bytes) {
    if (at_ == 0) {
        if (bytes.end() < 13) return std::nullopt;
        const std::size_t screenEnd = 13 + gifColourTable(bytes.at(10));
        screenPixels_ = static_cast<long long>(bytes.at(6) | bytes.at(7) << 8) * (bytes.at(8) | bytes.at(9) << 8);
        // A screen its decode refuses: nothing after it is read.
        if (screenPixels_ < 1 || screenPixels_ > limits_.maxWholePixels) return screenEnd;
        // The frames the decode takes on such a screen, each at most as large.
        const long long frames = std::min(static_cast<long long>(limits_.maxFrames),
                                          std::max(1LL, limits_.maxWholeFramesPixels / screenPixels_));
        bound(maxPictureMetadataBytes + frames * (kMaxGifFrameHeader + maxGifFrameDataBytes(screenPixels_)));
        at_ = screenEnd;
    }
    while (at_ < bytes.end()) {
        if (auto cut = within(at_)) return cut;
        const unsigned record = bytes.at(at_);
        if (inBlocks_) {
            inBlocks_ = record != 0;
            at_ += 1 + record;
        } else if (record == ';') {
            return at_ + 1;
        } else if (record == '!') {
            at_ += 2;
            inBlocks_ = true;
        } else if (record == ',') {
            if (at_ + 10 > bytes.end()) return std::nullopt;
            const std::size_t header = 10 + gifColourTable(bytes.at(at_ + 9)) + 1;  // and the code size
            // A frame its decode refuses the picture at (one too many, or past the pixels of
            // all frames): nothing after its header is read.
            ++frames_;
            if (frames_ > static_cast<long long>(limits_.maxFrames) ||
                screenPixels_ * 4 > limits_.maxWholeFramesPixels * 4 / frames_)
                return at_ + header;
            // A frame larger than the screen is not drawn: its data counts as the screen's.
            const long long pixels = static_cast<long long>(bytes.at(at_ + 5) | bytes.at(at_ + 6) << 8) *
                                     (bytes.at(at_ + 7) | bytes.at(at_ + 8) << 8);
            allowed_ = std::min(atMost_, allowed_ + static_cast<long long>(header) +
                                             maxGifFrameDataBytes(std::min(pixels, screenPixels_)));
            at_ += header;
            inBlocks_ = true;
        } else {
            return at_;  // no record: the decoder stops here
        }
    }
    return within(at_);
}

// Up to the first scan, the header: what the frame's coefficients take and whether the
// decoder holds all of them. Then the scans, up to the end of the image.
std::optional<std::size_t> PictureExtent::jpegLength(const ByteWindow& bytes) {
    const auto cutAt = [&](std::size_t position) { return std::min(position, static_cast<std::size_t>(allowed_)); };
    if (!headerRead_) {
        jpeg_.walk(bytes.bytes, JpegMarkerWalk::Until::firstScan, bytes.from);
        if (jpeg_.ended() || jpeg_.damaged()) return cutAt(jpeg_.position());
        // Its frame bounds the room before its first scan says how the decoder reads it.
        if (jpeg_.frame())
            bound(maxPictureMetadataBytes + jpeg_.frame()->coefficientBytes() + kJpegSegmentsAfterFirstScan);
        if (!jpeg_.firstScanWholePicture()) return within(bytes.end());
        if (auto cut = within(jpeg_.position())) return cut;  // a header past the metadata's allowance
        headerRead_ = true;
        const JpegFrame& frame = *jpeg_.frame();
        const long long coefficients = frame.coefficientBytes();
        // A header its decode refuses: nothing after it is read.
        if (!withinDecodingLimits(frame.width, frame.height) ||
            (*jpeg_.firstScanWholePicture() && coefficients > limits_.maxWholeCoefficientBytes))
            return cutAt(jpeg_.position());
        // The header as it is, then the data of the scans, which takes at most as many bytes
        // as the decoder's coefficients: best quality, every component in full and noise in
        // every block take 1.4 to 1.6 bytes a sample (measured with libturbojpeg), the
        // coefficients two.
        allowed_ = static_cast<long long>(jpeg_.position()) + coefficients + kJpegSegmentsAfterFirstScan;
        bound(allowed_);
    }
    jpeg_.walk(bytes.bytes, JpegMarkerWalk::Until::end, bytes.from);
    if (jpeg_.ended() || jpeg_.damaged()) return cutAt(jpeg_.position());
    return within(bytes.end());
}

}  // namespace platform::graphics
