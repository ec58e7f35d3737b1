#pragma once
// The search for QR codes in a picture, as thorough as the decoder allows: codes tilted,
// seen in perspective, slightly blurred, dim, small in the frame or upside down.
#include <optional>
#include <vector>

#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/vision/qr_code_feature.hpp"

namespace platform::vision {

// Every QR code of the picture (its first frame, at full size), in reading order of
// the decoder; an empty list when there is none. None when the search could not run
// (the memory for it could not be had).
std::optional<std::vector<QRCodeFeature>> detectQRCodes(const graphics::Image& image);

}  // namespace platform::vision
