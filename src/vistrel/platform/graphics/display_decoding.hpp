#pragma once
// Pictures decoded for a place that shows them at a known size, such as a row's icon:
// never kept larger than that place needs, and never decoded into more memory than a
// bound fit for it, whatever the header claims. The size asked for is covered (the
// picture scaled down, its aspect kept, until one side meets the size; never up), then
// the result is held under a pixel bound. A JPEG is decoded by the decoder's own
// scaling; a PNG row by row, averaged as it is read; a GIF's frames are read under
// limits on its screen and on all frames together, then scaled. A picture stored in
// passes over the whole picture is held whole while it is read, so it is read only under
// a bound on what that takes: an interlaced PNG's pixels, a progressive JPEG's
// coefficients. Every function here may run on any thread.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>

#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/graphics/image_header.hpp"
#include "vistrel/platform/graphics/image_source.hpp"

namespace platform::graphics {

struct DisplayDecodingLimits {
    long long maxPixels = 1024LL * 1024;            // one frame of the result
    long long maxTotalPixels = 4LL * 1024 * 1024;   // all frames of the result
    // A picture that must be read whole before it is scaled (a GIF's screen, an
    // interlaced PNG): its pixels, and for a GIF all its frames' pixels together.
    long long maxWholePixels = 4LL * 1024 * 1024;
    long long maxWholeFramesPixels = 8LL * 1024 * 1024;
    // A JPEG whose decoder keeps every coefficient until its last scan (a progressive
    // one): the bytes of those coefficients, about 3 a pixel when its colours are
    // sampled at half size across and down as cameras and the web write them, at most
    // maxJpegCoefficientBytes (image_header.hpp). The default takes a 12-megapixel
    // photo of 4032 x 3024 (36.6 MB) with room to spare, and at most 16 megapixels
    // sampled so (4096 x 4096 takes 48 MiB).
    long long maxWholeCoefficientBytes = 48LL * 1024 * 1024;
    std::size_t maxFrames = 2000;
};

// The size a picture of `width` x `height` pixels is decoded at to cover `coverWidth` x
// `coverHeight` (a side of 0 or less asks nothing; both: the full size), under
// `maxPixels`. At least 1 x 1; { 0, 0 } for an empty picture.
struct DisplayPixelSize {
    int width = 0, height = 0;
};
DisplayPixelSize displayPixelSize(int width, int height, int coverWidth, int coverHeight, long long maxPixels);

// The frames of PNG, JPEG or GIF bytes (as readImageSource gives them) at display size.
// No source and an empty failure for bytes that are no picture or are damaged; no
// source and a failure naming the limit for a picture over one.
ImageSourceResult readImageSourceForDisplay(std::string_view bytes, int coverWidth, int coverHeight,
                                            const DisplayDecodingLimits& limits = {});

// The same as a still: the first frame that decodes (an animated GIF stands still on its
// first). None for bytes that give no picture or a picture over a limit.
std::optional<Image> readStillForDisplay(std::string_view bytes, int coverWidth, int coverHeight,
                                         const DisplayDecodingLimits& limits = {});
// The same for a file (a regular one, of at most maxImageFileBytes); none when it cannot
// be read. The file is read no further than its picture, nor than these limits let the
// decode use of it: a header over them is the last thing read.
std::optional<Image> readStillFileForDisplay(const std::filesystem::path& path, int coverWidth, int coverHeight,
                                             const DisplayDecodingLimits& limits = {});

// The limits of Image::decode in the same terms: every bound at Image::maxDecodedPixels,
// a progressive JPEG's coefficients bounded by its pixels alone, the frames of a GIF as
// its image source reads them. What a file read for Image::fromFile may use.
DisplayDecodingLimits wholeDecodingLimits();

// Whether a picture is a still no larger than the display size of its own size: what the
// functions above give.
bool isDisplaySized(const Image& image, int coverWidth, int coverHeight, const DisplayDecodingLimits& limits = {});
// A picture decoded elsewhere brought to display size: itself when it is display-sized,
// else its first frame scaled down to the display size (never up). None when the scaling
// cannot be done.
std::optional<Image> stillForDisplay(const Image& image, int coverWidth, int coverHeight,
                                     const DisplayDecodingLimits& limits = {});

}  // namespace platform::graphics
