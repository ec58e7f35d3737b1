#pragma once
// The height a word-wrapping label needs for a text.
#include <string>

#include "vistrel/platform/graphics/font.hpp"

namespace vistrel {

// The height of a word-wrapping label of `width` in `font` holding `text`, with at most
// `numberOfLines` lines (0: no limit), after it sizes itself to fit. The text is
// measured without a height limit, then the line limit applies. Empty text is 0 high;
// a width that is not a finite number above zero does not wrap.
double heightForView(const std::string& text, const platform::graphics::Font& font, double width,
                     int numberOfLines);

}  // namespace vistrel
