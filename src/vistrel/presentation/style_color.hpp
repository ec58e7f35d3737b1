#pragma once
// The colour notations of style texts: a hexadecimal text with a separate opacity, and
// the "rgba(r, g, b, a)" notation. Readings that cannot give a colour give none, so
// that the caller goes on to its next step.
#include <optional>
#include <string>
#include <string_view>

#include "vistrel/platform/graphics/color.hpp"

namespace vistrel::style_color {

// An opacity as an alpha within 0...1; none when absent or not a number.
std::optional<double> alphaFromOpacity(std::optional<float> opacity);

// The colour of a hexadecimal colour text with its alpha replaced by the opacity;
// none unless both are present and the opacity is a number.
std::optional<platform::graphics::Color> hexColorWithOpacity(const std::optional<std::string>& text,
                                                             std::optional<float> opacity);

// The rgba reading: the text split at "(", "," and ")", pieces 1 to 4 read as the
// leading decimal number of each (0 when there is none); red, green and blue on a
// scale of 0...255, alpha on 0...1, each brought into range. None when the text has
// fewer than five pieces, that is fewer than four of those characters.
std::optional<platform::graphics::Color> rgbaColor(std::string_view text);

}  // namespace vistrel::style_color
