#pragma once
// Grey versions of pictures: one 8-bit value per pixel, the colour as drawn over black
// (alpha dropped), weighted as video luma (0.299 red, 0.587 green, 0.114 blue).
#include <memory>
#include <optional>

#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/graphics/image.hpp"

namespace platform::graphics {

// The grey values of the bitmap, rows without padding; null when the memory cannot be
// had. Image::greyValues keeps them for a picture.
std::shared_ptr<const Image::GreyValues> greyPlane(const Bitmap& bitmap);

// The picture (its first frame) as an opaque grey image at scale 1; a grey picture is
// given back as it is. None when the memory cannot be had.
std::optional<Image> greyImage(const Image& image);

}  // namespace platform::graphics
