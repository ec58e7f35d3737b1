#pragma once
// How a whole PNG and a whole JPEG start and end: a PNG from its signature to its end
// chunk (no data, then the chunk's checksum), a JPEG from its start-of-image marker to
// its end-of-image marker. Where a picture's bytes end as they are read, whether a file
// left by a stopped run holds a whole picture (endsAsAWholePicture: the store's clean-up
// and the takeover of an earlier version's files decide alike by it), and the tests'
// pictures that never end go by these.
#include <cstddef>
#include <filesystem>
#include <string_view>

namespace platform::graphics {

inline constexpr std::string_view pngSignature{"\x89PNG\r\n\x1a\n", 8};
inline constexpr std::string_view pngEndChunkType{"IEND", 4};
inline constexpr std::string_view pngEndChunk{"\0\0\0\0IEND\xAE\x42\x60\x82", 12};
inline constexpr std::string_view jpegStart{"\xFF\xD8", 2};
inline constexpr unsigned jpegEndMarker = 0xD9;
inline constexpr std::string_view jpegEnd{"\xFF\xD9", 2};

// The most of a picture's first and last bytes that tell whether it ends whole.
inline constexpr std::size_t wholePictureHeadBytes = pngSignature.size();
inline constexpr std::size_t wholePictureTailBytes = pngEndChunk.size();

// Whether a picture of `head` (its first bytes, up to wholePictureHeadBytes) and `tail`
// (its last bytes, up to wholePictureTailBytes) starts and ends as a whole PNG or JPEG.
constexpr bool startsAndEndsWhole(std::string_view head, std::string_view tail, std::size_t size) {
    const bool png = size >= pngSignature.size() + pngEndChunk.size() && head.starts_with(pngSignature) &&
                     tail.ends_with(pngEndChunk);
    const bool jpeg = size >= jpegStart.size() + jpegEnd.size() && head.starts_with(jpegStart) && tail.ends_with(jpegEnd);
    return png || jpeg;
}

// True for a regular file that starts and ends as a whole JPEG or PNG does; only its first
// and last few bytes are read, and it is opened so that no open can block (never through a
// link, never waiting on a FIFO).
bool endsAsAWholePicture(const std::filesystem::path& path);

}  // namespace platform::graphics
