#pragma once
// The view properties an animation block may change, and the values they take.
#include <optional>
#include <string_view>
#include <variant>

#include "vistrel/platform/ui/types.hpp"

namespace platform::ui {

enum class AnimatableProperty { frame, bounds, center, alpha, transform, backgroundColor };

// The property's name as a view calls it ("frame", "backgroundColor", ...).
std::string_view propertyName(AnimatableProperty property);

// A frame or bounds (Rect), a centre (Point), an alpha (double), a transform, or a
// background colour (none when the view has no background).
using AnimatedValue = std::variant<Rect, Point, double, AffineTransform, std::optional<Color>>;

}  // namespace platform::ui
