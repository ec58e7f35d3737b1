#pragma once
// JPEG pictures read with libjpeg from a picture input (internal to platform/graphics):
// the decoder takes the bytes as it goes, so that a picture decoded a band of rows at a
// time holds its rows, never its file. The header is read first and handed to the
// caller, which says the size it needs or refuses the picture before anything is
// decoded. The camera's Exif orientation is applied; CMYK and YCCK pictures are shown in
// their colours, taken as inverted where an Adobe marker says so, as Photoshop writes
// them. A picture with damage the decoder can step over (a truncated scan, say) is kept
// as the decoder leaves it, as a photo viewer would; one of more scans than any encoder
// writes (maxJpegScans) is refused, since each scan costs a pass over the picture: a
// picture whose decoder goes through every scan before its first row has its scans
// counted before any is decoded, from a file as from memory.
#include <functional>
#include <optional>

#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/graphics/image_decoding.hpp"
#include "vistrel/platform/graphics/image_header.hpp"
#include "vistrel/platform/graphics/picture_input.hpp"

namespace platform::graphics {

// The header of the JPEG the input holds, as its decoder reads it up to its first scan;
// none when it cannot be read.
std::optional<ImageHeader> readJpegHeader(PictureInput& input);

// The size to cover that a caller asks for a picture of this header (the upright size),
// or none to refuse it.
using JpegSizeFor = std::function<std::optional<PixelSize>(const ImageHeader& header)>;

// The upright picture at the decoder's smallest scale that covers the size asked for (the
// full size when even that is smaller). None for bytes that are no JPEG, a picture over
// the decoding limits or one the caller refuses.
std::optional<Bitmap> readJpeg(PictureInput& input, const JpegSizeFor& sizeFor);
// The same from bytes in memory.
std::optional<Bitmap> readJpeg(std::string_view bytes, const JpegSizeFor& sizeFor);

}  // namespace platform::graphics
