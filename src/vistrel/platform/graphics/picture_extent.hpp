#pragma once
// Where a picture's bytes end, told as they are read (internal to platform/graphics), so
// that reading a file stops with the picture it holds: what the read costs is bounded by
// that picture, not by the file's length (a photo followed by hundreds of megabytes of
// zeros, say).
#include <cstddef>
#include <optional>
#include <string_view>

#include "vistrel/platform/graphics/jpeg_scans.hpp"

namespace platform::graphics {

// Bytes a picture may hold beside its pixels' data: colour profiles, Exif with its
// thumbnails, comments and the like.
inline constexpr long long maxPictureMetadataBytes = 16LL * 1024 * 1024;

class PictureExtent {
public:
    // All bytes read so far: those of the last call, and more. The picture's length once
    // it is known, which may lie beyond the bytes read so far: up to the end of its last
    // part (a JPEG's end-of-image marker, a PNG's end chunk, a GIF's trailer), or up to
    // where its structure breaks (its decoder reads nothing past it). A picture that
    // neither ends nor breaks takes at most what its pixels could need (a JPEG four bytes
    // a sample, twice the most a camera's best quality takes; a PNG twice its raw rows; a
    // GIF the bound of its frames' data) beside maxPictureMetadataBytes. Bytes that are
    // no PNG, JPEG or GIF end where they are.
    std::optional<std::size_t> length(std::string_view bytes);
    // Until then, the most the picture may take as far as its bytes tell.
    std::size_t atMost() const { return static_cast<std::size_t>(allowed_); }

private:
    std::optional<std::size_t> pngLength(std::string_view bytes);
    std::optional<std::size_t> gifLength(std::string_view bytes);
    std::optional<std::size_t> jpegLength(std::string_view bytes);
    std::optional<std::size_t> within(std::size_t at) const;

    enum class Kind { unknown, png, gif, jpeg } kind_ = Kind::unknown;
    std::size_t at_ = 0;             // the next part to look at
    bool inBlocks_ = false;          // a GIF's data blocks, until their terminator
    long long allowed_ = maxPictureMetadataBytes;
    JpegMarkerWalk jpeg_;
};

}  // namespace platform::graphics
