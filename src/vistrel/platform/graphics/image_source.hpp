#pragma once
// An image source: every frame of a picture's bytes, each with the properties its file
// gives it, read once under limits that are checked before any pixels are allocated.
// A GIF gives one entry per frame in the stream, composed on its logical screen; PNG
// and JPEG give one entry without GIF properties.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vistrel/platform/graphics/bitmap.hpp"

namespace platform::graphics {

struct ImageSourceLimits {
    long long maxCanvasPixels = 4096LL * 4096;           // width x height of the picture
    long long maxDecodedBytes = 256LL * 1024 * 1024;     // all frames' pixels together
    std::size_t maxFrames = 2000;
};

// What a frame's graphic control extension says of its display time, in seconds: the
// stored delay as it stands, and the delay as viewers show it (under 0.02 s is 0.1 s).
struct GifFrameProperties {
    double unclampedDelayTime = 0;
    double delayTime = 0;
};

struct ImageSourceFrame {
    std::optional<Bitmap> image;              // none when the frame could not be decoded
    std::optional<GifFrameProperties> gif;    // none for a frame without a control extension
};

struct ImageSource {
    std::vector<ImageSourceFrame> frames;
};

struct ImageSourceResult {
    std::optional<ImageSource> source;
    // Why there is no source when a limit stopped it; empty when the bytes are no picture.
    std::string failure;
};

ImageSourceResult readImageSource(std::string_view bytes, const ImageSourceLimits& limits = {});

}  // namespace platform::graphics
