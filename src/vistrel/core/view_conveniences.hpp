#pragma once
// Rounded corners and outlines on any view in one call. The three properties store
// nothing of their own: they are the view's layer's, and they can also be set by name
// ("cornerRadius", "borderWidth", "borderColor") as a storyboard sets them.
#include <optional>

#include "vistrel/platform/graphics/color.hpp"

namespace platform::ui {
class View;
}

namespace vistrel {

double cornerRadius(const platform::ui::View& view);
// Sets the layer's corner radius, and clipping on exactly when the radius is above 0.
void setCornerRadius(platform::ui::View& view, double radius);

double borderWidth(const platform::ui::View& view);
void setBorderWidth(platform::ui::View& view, double width);

// None when the layer has no border colour; setting none clears it.
std::optional<platform::graphics::Color> borderColor(const platform::ui::View& view);
void setBorderColor(platform::ui::View& view, std::optional<platform::graphics::Color> color);

// The three at once, in this order, each through its by-name setter (so the clipping
// rule of the radius applies).
void setCornerRadius(platform::ui::View& view, double radius, double borderWidth,
                     const platform::graphics::Color& borderColor);

// Makes the three properties settable by name. Done when the kit is loaded; calling it
// again does nothing.
void registerViewConveniences();

}  // namespace vistrel
