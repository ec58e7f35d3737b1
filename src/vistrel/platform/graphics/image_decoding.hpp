#pragma once
// The codecs behind Image::decode (internal to platform/graphics). Each gives straight
// pixels turned into premultiplied bitmaps, or none for damaged data or pictures over
// the limits of Image (maxDecodedDimension, maxDecodedPixels).
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/graphics/image_source.hpp"

namespace platform::graphics {

struct DisplayDecodingLimits;
class PictureInput;

struct DecodedFrames {
    std::vector<Bitmap> frames;
    double duration = 0;  // seconds, 0 for a still picture
};

// Picks the codec by the leading bytes.
std::optional<DecodedFrames> decodeImageData(std::string_view bytes);
std::optional<DecodedFrames> decodePng(std::string_view bytes);
// The same from an input (picture_input.hpp), read as the decoder asks for its bytes.
std::optional<DecodedFrames> decodePng(PictureInput& input);
std::optional<DecodedFrames> decodeJpeg(std::string_view bytes);
std::optional<DecodedFrames> decodeGif(std::string_view bytes);

// A JPEG's upright pixels: at full size, or at the decoder's smallest scale that still
// covers `covering` (the upright size asked for).
struct PixelSize {
    int width = 0, height = 0;
};
std::optional<Bitmap> decodeJpegBitmap(std::string_view bytes, std::optional<PixelSize> covering);
// Every frame of a GIF with its control extension, under the limits given.
ImageSourceResult readGifSource(std::string_view bytes, const ImageSourceLimits& limits);

// Whether a picture of this many pixels per frame, with this many frames, may be decoded.
bool withinDecodingLimits(long long width, long long height, long long frameCount = 1);

// The most bytes of an image file: larger than any picture taken or kept.
inline constexpr std::size_t maxImageFileBytes = 256u * 1024 * 1024;

// The picture the file holds, as decodeImageData decodes its bytes, read up to its end
// and no further, nor past what a decode under `limits` can use of it, and without what
// its decoder would pass over unread (picture_extent.hpp): what follows costs nothing. A
// PNG is decoded as the file is read, holding a piece of it at a time; another picture's
// bytes are read whole, into room taken once. None when the file cannot be read, is not a
// regular file or is larger than maxImageFileBytes, or holds no picture that decodes.
std::optional<DecodedFrames> decodeImageFile(const std::filesystem::path& path, const DisplayDecodingLimits& limits);

}  // namespace platform::graphics
