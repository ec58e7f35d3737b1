#pragma once
// A PNG decoded straight to a smaller size (internal to platform/graphics): its rows are
// read one at a time and averaged over the areas of the output's pixels as they come
// (area_averaging.hpp), so that whatever the reduction, a picture never needs its
// full-size pixels in memory: only the output and a row.
#include <optional>
#include <string_view>

#include "vistrel/platform/graphics/bitmap.hpp"

namespace platform::graphics {

// The picture at exactly `width` x `height` pixels (its aspect is the caller's
// business). None for damaged or truncated data, pictures over the decoding limits of
// Image, and interlaced PNGs, whose rows come in passes over the whole picture.
std::optional<Bitmap> decodePngFitted(std::string_view bytes, int width, int height);

}  // namespace platform::graphics
