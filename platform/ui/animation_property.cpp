#include "platform/ui/animation_property.hpp"

namespace platform::ui {

std::string_view propertyName(AnimatableProperty property) {
    switch (property) {
    case AnimatableProperty::frame: return "frame";
    case AnimatableProperty::bounds: return "bounds";
    case AnimatableProperty::center: return "center";
    case AnimatableProperty::alpha: return "alpha";
    case AnimatableProperty::transform: return "transform";
    case AnimatableProperty::backgroundColor: return "backgroundColor";
    }
    return "unknown";
}

}  // namespace platform::ui
