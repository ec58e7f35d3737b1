// Title, icon and label values of an action row.
#include "vistrel/presentation/action_view_model.hpp"

#include <algorithm>

#include "vistrel/model/themes.hpp"
#include "vistrel/presentation/display_limits.hpp"
#include "vistrel/presentation/style_font.hpp"
#include "vistrel/presentation/style_lookup.hpp"

namespace vistrel {

const Icon* ActionViewModel::iconSection() const {
    return action_.style && action_.style->icon ? &*action_.style->icon : nullptr;
}

const Text* ActionViewModel::textSection() const {
    return action_.style && action_.style->text ? &*action_.style->text : nullptr;
}

const Button* ActionViewModel::buttonSection() const {
    return action_.style && action_.style->button ? &*action_.style->button : nullptr;
}

std::string ActionViewModel::name() const { return action_.name.value_or(""); }

std::string ActionViewModel::iconUrl() const { return action_.icon.value_or(""); }

bool ActionViewModel::iconDisplay() const {
    return styleValue(iconSection(), &Icon::display, VistrelActionTheme::iconDisplay);
}

double ActionViewModel::iconSize() const {
    return display_limits::clampLength(styleValue(iconSection(), &Icon::size, VistrelActionTheme::iconSize));
}

VerticalPosition ActionViewModel::iconVerticalPosition() const {
    return styleValue(iconSection(), &Icon::vposition, VistrelActionTheme::iconVerticalPosition);
}

HorizontalPosition ActionViewModel::iconHorizontalPosition() const {
    return styleValue(iconSection(), &Icon::hposition, VistrelActionTheme::iconHorizontalPosition);
}

bool ActionViewModel::iconStyleAvailable() const { return iconSection() != nullptr; }

bool ActionViewModel::textDisplay() const {
    return styleValue(textSection(), &Text::display, VistrelActionTheme::textDisplay);
}

VerticalPosition ActionViewModel::textVerticalPosition() const {
    return styleValue(textSection(), &Text::vposition, VistrelActionTheme::textVerticalPosition);
}

HorizontalPosition ActionViewModel::textHorizontalPosition() const {
    return styleValue(textSection(), &Text::hposition, VistrelActionTheme::textHorizontalPosition);
}

std::intptr_t ActionViewModel::textFontSize() const {
    std::intptr_t size = styleValue(textSection(), &Text::fontSize, VistrelActionTheme::textFontSize);
    if (size <= 0) return VistrelActionTheme::textFontSize;
    return std::min(size, static_cast<std::intptr_t>(display_limits::maximumFontSize));
}

std::optional<platform::graphics::Font> ActionViewModel::textFont() const {
    const Text* text = textSection();
    std::string_view name = VistrelActionTheme::textFont;
    if (text && text->fontSize && text->fontWeight && text->fontStyle)
        name = style_font::fontName<VistrelActionTheme>(*text->fontWeight, *text->fontStyle);
    return style_font::fontNamed(name, static_cast<double>(textFontSize()),
                                 static_cast<double>(VistrelActionTheme::textFontSize));
}

}  // namespace vistrel
