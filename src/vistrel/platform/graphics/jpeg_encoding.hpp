#pragma once
// JPEG bytes of a picture, as a camera or a photo upload needs them.
#include <optional>
#include <string>

#include "vistrel/platform/graphics/image.hpp"

namespace platform::graphics {

// The picture (its first frame) as baseline JPEG at a quality from 0 (smallest) to 1
// (best), clamped; a quality that is not a number counts as 0. A grey picture gives a
// one-channel JPEG. None when the picture cannot be encoded.
std::optional<std::string> encodeJpeg(const Image& image, double quality);

}  // namespace platform::graphics
