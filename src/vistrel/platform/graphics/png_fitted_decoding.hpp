#pragma once
// A PNG decoded straight to a smaller size (internal to platform/graphics): its rows are
// read one at a time and averaged over the areas of the output's pixels as they come
// (area_averaging.hpp), so that whatever the reduction, a picture never needs its
// full-size pixels in memory: only the output and a row. Its bytes are taken from the
// input as the rows need them.
#include <optional>

#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/graphics/picture_input.hpp"

namespace platform::graphics {

// The picture at exactly `width` x `height` pixels (its aspect is the caller's
// business). None for damaged or truncated data, pictures over the decoding limits of
// Image, and interlaced PNGs, whose rows come in passes over the whole picture.
std::optional<Bitmap> decodePngFitted(PictureInput& input, int width, int height);

}  // namespace platform::graphics
