#include "vistrel/core/view_conveniences.hpp"

#include <mutex>

#include "vistrel/platform/ui/view.hpp"
#include "vistrel/platform/ui/view_properties.hpp"

namespace vistrel {

using platform::graphics::Color;
using platform::ui::PropertyValue;
using platform::ui::View;

double cornerRadius(const View& view) { return view.layer().cornerRadius(); }

void setCornerRadius(View& view, double radius) {
    view.layer().setCornerRadius(radius);
    view.layer().setMasksToBounds(radius > 0);
}

double borderWidth(const View& view) { return view.layer().borderWidth(); }

void setBorderWidth(View& view, double width) { view.layer().setBorderWidth(width); }

std::optional<Color> borderColor(const View& view) { return view.layer().borderColor(); }

void setBorderColor(View& view, std::optional<Color> color) { view.layer().setBorderColor(color); }

void setCornerRadius(View& view, double radius, double width, const Color& color) {
    registerViewConveniences();
    platform::ui::setValueForKey(view, "cornerRadius", radius);
    platform::ui::setValueForKey(view, "borderWidth", width);
    platform::ui::setValueForKey(view, "borderColor", color);
}

void registerViewConveniences() {
    static std::once_flag once;
    std::call_once(once, [] {
        using platform::ui::registerViewProperty;
        registerViewProperty<View>(
            "cornerRadius",
            [](View& v, const PropertyValue& value) {
                const double* radius = std::get_if<double>(&value);
                if (radius) setCornerRadius(v, *radius);
                return radius != nullptr;
            },
            [](const View& v) { return PropertyValue(cornerRadius(v)); });
        registerViewProperty<View>(
            "borderWidth",
            [](View& v, const PropertyValue& value) {
                const double* width = std::get_if<double>(&value);
                if (width) setBorderWidth(v, *width);
                return width != nullptr;
            },
            [](const View& v) { return PropertyValue(borderWidth(v)); });
        registerViewProperty<View>(
            "borderColor",
            [](View& v, const PropertyValue& value) {
                if (std::holds_alternative<std::monostate>(value)) {
                    setBorderColor(v, std::nullopt);
                    return true;
                }
                const Color* color = std::get_if<Color>(&value);
                if (color) setBorderColor(v, *color);
                return color != nullptr;
            },
            [](const View& v) {
                auto color = borderColor(v);
                return color ? PropertyValue(*color) : PropertyValue(std::monostate{});
            });
    });
}

namespace {

// Storyboards may set the properties by name from the moment the kit is loaded.
[[maybe_unused]] const bool registeredAtLoad = (registerViewConveniences(), true);

}  // namespace

}  // namespace vistrel
