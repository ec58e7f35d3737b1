#pragma once
// The drawing layer's value types, under the names the view layer uses.
#include "vistrel/platform/graphics/color.hpp"
#include "vistrel/platform/graphics/geometry.hpp"

namespace platform::ui {

using graphics::AffineTransform;
using graphics::Color;
using graphics::EdgeInsets;
using graphics::Point;
using graphics::Rect;
using graphics::Size;

}  // namespace platform::ui
