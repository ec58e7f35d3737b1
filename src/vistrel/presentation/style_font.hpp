#pragma once
// Fonts of style texts: the face a weight and a style name in a theme, and the lookup
// of a face by name that always gives a usable font.
#include <optional>
#include <string_view>

#include "vistrel/model/style_enums.hpp"
#include "vistrel/platform/graphics/font.hpp"

namespace vistrel::style_font {

// The theme's face for a weight and a style (both themes name their faces alike).
template <typename Theme>
std::string_view fontName(FontWeight weight, FontStyle style) {
    if (weight == FontWeight::bold)
        return style == FontStyle::italic ? Theme::textFontBoldWeightItalicStyle : Theme::textFontBoldWeightNormalStyle;
    return style == FontStyle::italic ? Theme::textFontNormalWeightItalicStyle : Theme::textFont;
}

// A point size fit for a font: `defaultSize` for a size <= 0 or not finite, at most
// display_limits::maximumFontSize.
double usablePointSize(double pointSize, double defaultSize);

// The registered face of that name at the size (made usable as above); a name the
// registry does not know gives the default face at the same size. None only when not
// even the default face can be loaded.
std::optional<platform::graphics::Font> fontNamed(std::string_view name, double pointSize, double defaultSize);

}  // namespace vistrel::style_font
