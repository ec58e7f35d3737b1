#pragma once
// Icon glyphs as attributed text and as images, and one-point images of a colour.
#include <optional>
#include <string_view>

#include "vistrel/platform/graphics/attributed_string.hpp"
#include "vistrel/platform/graphics/color.hpp"
#include "vistrel/platform/graphics/image.hpp"

namespace vistrel {

// The largest icon image, in points, that imageFromIcon draws.
inline constexpr double kMaxIconImageSize = 4096;

// The text (usually a glyph's raw value) in the icon font at `size`, in `color` when
// one is given; none when the icon font is not registered.
std::optional<platform::graphics::AttributedString> stringFromIcon(
    std::string_view icon, double size = 12, std::optional<platform::graphics::Color> color = std::nullopt);

// The text drawn centred at the top of a transparent square of `size` points, at the
// main screen's scale. None when the icon font is not registered, or the size is not a
// finite number in (0, kMaxIconImageSize].
std::optional<platform::graphics::Image> imageFromIcon(std::string_view icon, double size,
                                                       std::optional<platform::graphics::Color> color);

// A 1 x 1 point image filled with the colour, at the main screen's scale.
std::optional<platform::graphics::Image> imageWithColor(const platform::graphics::Color& colour);

}  // namespace vistrel
