#pragma once
// A JPEG decoded straight at a smaller size: the decoder's own scaling (1/8 to 1/1 in
// eighths) picks the smallest scale whose picture still covers the size asked for, so a
// thumbnail of a large photo costs a fraction of its full decode and memory. The
// camera's Exif orientation is applied, as the full decode does; the size asked for is
// the upright one.
#include <optional>
#include <string_view>

#include "vistrel/platform/graphics/image.hpp"

namespace platform::graphics {

// The upright picture at the smallest scale at least `width` x `height` pixels (the full
// size when even that is smaller). Sizes below one pixel count as one. None for bytes
// that are no JPEG, damaged data or pictures over the decoding limits.
std::optional<Image> decodeJpegCovering(std::string_view bytes, int width, int height);

// The scaled size the decoder would give for a stored picture of `storedWidth` x
// `storedHeight` pixels shown with `orientation` (Exif, 1...8), to cover the size asked for.
struct ScaledJpegSize {
    int width = 0;   // stored (not turned) scaled width
    int height = 0;  // stored (not turned) scaled height
    int num = 1, denom = 1;  // the scale
};
ScaledJpegSize jpegScaleCovering(int storedWidth, int storedHeight, int orientation, int width, int height);

}  // namespace platform::graphics
