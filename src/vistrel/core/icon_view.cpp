#include "vistrel/core/icon_view.hpp"

#include "vistrel/core/icon_font.hpp"
#include "vistrel/platform/ui/button.hpp"
#include "vistrel/platform/ui/label.hpp"

namespace vistrel {

using platform::graphics::Color;
using platform::ui::Button;
using platform::ui::ControlState;
using platform::ui::Label;

void setIconType(Button& button, VistrelIconType icon, double size, const Color& titleColor,
                 std::optional<Color> backgroundColor) {
    button.setTitle(rawValue(icon), ControlState::normal);
    button.setTitleColor(titleColor, ControlState::normal);
    if (const auto& label = button.titleLabel()) label->setFont(iconFontWithSize(size));
    button.setBackgroundColor(backgroundColor);
}

void setIconType(Label& label, VistrelIconType icon, double size, const Color& textColor,
                 std::optional<Color> backgroundColor) {
    label.setText(rawValue(icon));
    label.setTextColor(textColor);
    label.setTextAlignment(platform::graphics::TextAlignment::center);
    label.setBackgroundColor(backgroundColor);
    label.setFont(iconFontWithSize(size));
}

void setTitle(Button& button, const std::string& title, const Color& titleColor,
              std::optional<platform::graphics::Font> font, ControlState state) {
    button.setTitle(title, state);
    button.setTitleColor(titleColor, state);
    if (const auto& label = button.titleLabel()) label->setFont(std::move(font));
}

std::shared_ptr<Button> barButtonWithIconType(VistrelIconType icon, double size, const Color& color) {
    auto button = std::make_shared<Button>(platform::ui::ButtonType::custom, platform::graphics::Rect{0, 0, 44, 44});
    button->setTitle(rawValue(icon), ControlState::normal);
    button->setTitleColor(color, ControlState::normal);
    if (const auto& label = button->titleLabel()) label->setFont(iconFontWithSize(size));
    return button;
}

}  // namespace vistrel
