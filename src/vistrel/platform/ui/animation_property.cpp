#include "vistrel/platform/ui/animation_property.hpp"

#include "vistrel/platform/foundation/enum_table.hpp"

namespace platform::ui {

namespace {
using P = AnimatableProperty;
constexpr EnumTable<AnimatableProperty, std::string_view, 6> kNames{{
    {P::frame, "frame"},
    {P::bounds, "bounds"},
    {P::center, "center"},
    {P::alpha, "alpha"},
    {P::transform, "transform"},
    {P::backgroundColor, "backgroundColor"},
}};
}  // namespace

std::string_view propertyName(AnimatableProperty property) { return rawValueIn(kNames, property); }

}  // namespace platform::ui
