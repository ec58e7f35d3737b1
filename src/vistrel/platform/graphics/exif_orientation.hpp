#pragma once
// The orientation a camera records in a JPEG's Exif block, and its application to the
// decoded pixels (internal to platform/graphics).
#include <optional>
#include <string_view>

#include "vistrel/platform/graphics/bitmap.hpp"

namespace platform::graphics {

// The Exif orientation tag of a JPEG's APP1 segment (its data), 1...8: none when the
// segment is no Exif block; 1 (stored upright) when the block has no tag or is damaged.
std::optional<int> exifSegmentOrientation(std::string_view segment);

// The stored pixels turned the way the orientation says, so that they show upright:
// 2 mirrored, 3 turned half a turn, 4 flipped, 5 transposed, 6 turned a quarter turn
// clockwise, 7 transversed, 8 turned a quarter turn anticlockwise. None when the
// memory cannot be had; orientation 1 (or any other value) gives the bitmap back.
std::optional<Bitmap> orientedBitmap(Bitmap stored, int orientation);

}  // namespace platform::graphics
