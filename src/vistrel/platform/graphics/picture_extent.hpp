#pragma once
// Where a picture's bytes end, told as they are read (internal to platform/graphics), so
// that reading a file stops with the picture it holds, and never goes past what the
// decode it is read for can use: what the read costs is bounded by that picture and that
// decode, not by the file's length (a photo followed by hundreds of megabytes of zeros,
// say, or a picture whose end never comes).
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "vistrel/platform/graphics/byte_window.hpp"
#include "vistrel/platform/graphics/display_decoding.hpp"
#include "vistrel/platform/graphics/jpeg_scans.hpp"

namespace platform::graphics {

// Bytes a picture may hold beside its pixels' data: colour profiles, Exif with its
// thumbnails, comments and the like.
inline constexpr long long maxPictureMetadataBytes = 16LL * 1024 * 1024;

class PictureExtent {
public:
    // For a decode under these limits (as readImageSourceForDisplay applies them; Image
    // decodes under wholeDecodingLimits()).
    explicit PictureExtent(const DisplayDecodingLimits& limits);

    // The bytes read so far, those of the file from offset `from` on (`from` at most the
    // resumeAt() of the last call, so that a reader need keep no byte before it): those
    // of the last call, and more. The picture's length once it is known, an offset in the
    // file that may lie beyond the bytes read so far: up to the end of its last part (a
    // JPEG's end-of-image marker, a PNG's end chunk, a GIF's trailer), up to where its
    // structure breaks (its decoder reads nothing past it), or up to the end of its
    // header when that header is over the limits (its decode refuses the picture there).
    // A picture that neither ends nor breaks takes at most the compressed data its pixels
    // can have beside its metadata: a PNG the data of its pixels' chunks up to its raw
    // rows as deflate stores them at worst, the framing of those chunks up to one chunk
    // for each byte of their data seen, and beside them its other chunks and the framing
    // of its pixels' chunks past that up to maxPictureMetadataBytes, but for chunks its
    // decoder passes over unread, which are left out (a chunk past its allowance ends the
    // picture where it starts); a GIF the
    // bound of its frames' data beside maxPictureMetadataBytes; a JPEG its header (up to
    // its first scan, within maxPictureMetadataBytes), then as many bytes of scans as its
    // decoder's coefficients take (two a sample) and a megabyte of the segments between
    // and after them. Bytes that are no PNG, JPEG or GIF end where they are.
    std::optional<std::size_t> length(std::string_view bytes, std::size_t from = 0);
    // The first offset the next call looks at: what a reader must keep from.
    std::size_t resumeAt() const;
    // The first part of the file left out of the picture that ends after `offset`: its
    // start and its end. Its bytes are neither read nor handed to the decoder, which
    // would pass over them; it never lies before resumeAt() when it is first told.
    std::optional<std::pair<std::size_t, std::size_t>> leftOutAfter(std::size_t offset) const;
    // Until the length is known, the most bytes the picture may keep (those left out
    // aside), as far as the limits and its bytes tell: never more than an earlier answer,
    // so that room for it is taken once.
    std::size_t atMost() const { return static_cast<std::size_t>(atMost_); }

private:
    std::optional<std::size_t> pngLength(const ByteWindow& bytes);
    std::optional<std::size_t> gifLength(const ByteWindow& bytes);
    std::optional<std::size_t> jpegLength(const ByteWindow& bytes);
    std::optional<std::size_t> within(std::size_t at) const;
    // The picture takes at most `bytes` in all (as its header tells it).
    void bound(long long bytes);

    DisplayDecodingLimits limits_;
    enum class Kind { unknown, png, gif, jpeg } kind_ = Kind::unknown;
    std::size_t at_ = 0;             // the next part to look at
    bool inBlocks_ = false;          // a GIF's data blocks, until their terminator
    long long screenPixels_ = 0;     // a GIF's
    long long frames_ = 0;           // a GIF's, so far
    bool headerRead_ = false;        // a JPEG's, up to its first scan
    long long metadata_ = 0;         // a PNG's chunks beside its pixels' data, so far
    long long pixelData_ = 0;        // the data of a PNG's chunks of its pixels' data, so far
    long long pixelFraming_ = 0;     // and the framing of those chunks
    long long pixelDataAllowed_ = 0;  // by a PNG's header
    std::vector<std::pair<std::size_t, std::size_t>> leftOut_;  // a PNG's chunks passed over
    // Where the picture is cut as far as its bytes tell: its metadata, then the data of
    // its pixels (a GIF's frames, one after the other) as their headers come.
    long long allowed_ = maxPictureMetadataBytes;
    long long atMost_;
    JpegMarkerWalk jpeg_;
};

}  // namespace platform::graphics
