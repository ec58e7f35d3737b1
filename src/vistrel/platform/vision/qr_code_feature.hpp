#pragma once
// One QR code found in a picture: where it lies and what it says.
#include <array>
#include <optional>
#include <string>

#include "vistrel/platform/graphics/geometry.hpp"

namespace platform::vision {

struct QRCodeFeature {
    // The four corners in pixels of the searched picture (top-left, top-right,
    // bottom-right, bottom-left of the code as printed).
    std::array<graphics::Point, 4> corners{};
    // The payload as UTF-8 text; none when the code was found but could not be read as text.
    std::optional<std::string> messageString;
};

}  // namespace platform::vision
