// The three colours of an action row. Each takes, in this order, an rgba colour text,
// a hexadecimal colour text with its opacity (not for the text background), and the
// action theme's colour; a step that cannot give a colour hands over to the next.
#include "vistrel/model/themes.hpp"
#include "vistrel/presentation/action_view_model.hpp"
#include "vistrel/presentation/style_color.hpp"

namespace vistrel {

using platform::graphics::Color;

namespace {

std::optional<Color> rgbaStep(const std::optional<std::string>& text) {
    return text ? style_color::rgbaColor(*text) : std::nullopt;
}

}  // namespace

Color ActionViewModel::textColor() const {
    const Text* text = textSection();
    if (!text) return VistrelActionTheme::textColor;
    if (auto color = rgbaStep(text->rgbaColor)) return *color;
    return style_color::hexColorWithOpacity(text->color, text->opacity).value_or(VistrelActionTheme::textColor);
}

Color ActionViewModel::textBackgroundColor() const {
    const Text* text = textSection();
    if (!text) return VistrelActionTheme::textBackgroundColor;
    return rgbaStep(text->backgroundColor).value_or(VistrelActionTheme::textBackgroundColor);
}

Color ActionViewModel::buttonBackgroundColor() const {
    const Button* button = buttonSection();
    if (!button) return VistrelActionTheme::buttonBackgroundColor;
    if (auto color = rgbaStep(button->rgbaColor)) return *color;
    return style_color::hexColorWithOpacity(button->backgroundColor, button->opacity)
        .value_or(VistrelActionTheme::buttonBackgroundColor);
}

}  // namespace vistrel
