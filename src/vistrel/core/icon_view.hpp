#pragma once
// Icon glyphs on buttons and labels: the glyph as the title or text, in the icon font.
#include <memory>
#include <optional>
#include <string>

#include "vistrel/core/icon_type.hpp"
#include "vistrel/platform/graphics/color.hpp"
#include "vistrel/platform/graphics/font.hpp"
#include "vistrel/platform/ui/control.hpp"

namespace platform::ui {
class Button;
class Label;
}  // namespace platform::ui

namespace vistrel {

// Normal-state title = the glyph, its colour = `titleColor`, title font = the icon font
// at `size` (the default label font when the icon font is not registered), background =
// `backgroundColor` (none leaves the button without one).
void setIconType(platform::ui::Button& button, VistrelIconType icon, double size,
                 const platform::graphics::Color& titleColor,
                 std::optional<platform::graphics::Color> backgroundColor = platform::graphics::Color::clear());

// Text = the glyph, in `textColor`, centred, on `backgroundColor`, in the icon font at
// `size` (the default label font when the icon font is not registered).
void setIconType(platform::ui::Label& label, VistrelIconType icon, double size,
                 const platform::graphics::Color& textColor,
                 std::optional<platform::graphics::Color> backgroundColor = platform::graphics::Color::clear());

// The title and its colour for `state`, then the title label's font (none gives the
// default label font).
void setTitle(platform::ui::Button& button, const std::string& title, const platform::graphics::Color& titleColor,
              std::optional<platform::graphics::Font> font, platform::ui::ControlState state);

// A new custom 44 x 44 point button at the origin showing the glyph in `color`, in the
// icon font at `size`.
std::shared_ptr<platform::ui::Button> barButtonWithIconType(VistrelIconType icon, double size,
                                                            const platform::graphics::Color& color);

}  // namespace vistrel
