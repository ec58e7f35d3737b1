#pragma once
// The kit's icon font at a size.
#include <optional>

#include "vistrel/platform/graphics/font.hpp"

namespace vistrel {

// The registered font "icomoon" at `size` points; none when it is not registered or
// the size is not a finite number above zero.
std::optional<platform::graphics::Font> iconFontWithSize(double size);

}  // namespace vistrel
