// The button's properties that a storyboard may set by name, each through the same
// setter (and change effect) as code. Images and the delegate are objects, set in code.

#include "vistrel/fab/fab.hpp"
#include "vistrel/platform/ui/view_properties.hpp"

namespace vistrel {

namespace {

using platform::ui::PropertyValue;

template <class T>
void registerFabProperty(const char* name, T Fab::*field) {
    platform::ui::registerViewProperty<Fab>(
        name,
        [field](Fab& fab, const PropertyValue& value) {
            const T* v = std::get_if<T>(&value);
            if (v) fab.*field = *v;
            return v != nullptr;
        },
        [field](const Fab& fab) { return PropertyValue(fab.*field); });
}

void registerFabProperties() {
    registerFabProperty("autoCloseOnTap", &Fab::autoCloseOnTap);
    registerFabProperty("rotationDegrees", &Fab::rotationDegrees);
    registerFabProperty("animationSpeed", &Fab::animationSpeed);
    registerFabProperty("buttonColor", &Fab::buttonColor);
    registerFabProperty("plusColor", &Fab::plusColor);
    registerFabProperty("overlayColor", &Fab::overlayColor);
    registerFabProperty("itemSpace", &Fab::itemSpace);
    registerFabProperty("itemButtonColor", &Fab::itemButtonColor);
    registerFabProperty("itemTitleColor", &Fab::itemTitleColor);
    registerFabProperty("hasShadow", &Fab::hasShadow);
    registerFabProperty("itemShadowColor", &Fab::itemShadowColor);
    registerFabProperty("respondsToKeyboard", &Fab::respondsToKeyboard);
    platform::ui::registerViewProperty<Fab>(
        "itemSize",
        [](Fab& fab, const PropertyValue& value) {
            const double* size = std::get_if<double>(&value);
            if (size) fab.setItemSize(*size);
            return size != nullptr;
        },
        [](const Fab& fab) { return PropertyValue(fab.itemSize()); });
    platform::ui::registerViewProperty<Fab>(
        "itemImageColor",
        [](Fab& fab, const PropertyValue& value) {
            if (std::holds_alternative<std::monostate>(value)) {
                fab.itemImageColor.reset();
                return true;
            }
            const auto* colour = std::get_if<platform::ui::Color>(&value);
            if (colour) fab.itemImageColor = *colour;
            return colour != nullptr;
        },
        [](const Fab& fab) {
            return fab.itemImageColor ? PropertyValue(*fab.itemImageColor) : PropertyValue(std::monostate{});
        });
}

// Storyboards may set them from the moment the kit is loaded.
[[maybe_unused]] const bool registeredAtLoad = (registerFabProperties(), true);

}  // namespace

}  // namespace vistrel
