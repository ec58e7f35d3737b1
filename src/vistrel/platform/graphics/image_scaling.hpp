#pragma once
// Pictures redrawn at another size in pixels, with a filter fit for photos (sharp when
// shrinking, smooth when growing). The results are stills at scale 1.
#include <optional>

#include "vistrel/platform/graphics/image.hpp"

namespace platform::graphics {

// The picture (its first frame) scaled to width x height pixels; a grey picture stays
// grey. None for a size outside 1...Bitmap::maxDimension or when the memory cannot be had.
std::optional<Image> scaledImage(const Image& image, int width, int height);

// The same for a bitmap of premultiplied pixels (empty input gives none).
std::optional<Bitmap> scaledBitmap(const Bitmap& bitmap, int width, int height);

// greyImage(scaledImage(image, width, height)) up to rounding, made by turning the
// picture grey before scaling it: for a large photo that filters one channel, not four.
std::optional<Image> scaledGreyImage(const Image& image, int width, int height);

}  // namespace platform::graphics
