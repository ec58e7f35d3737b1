#pragma once
// Named properties of views, settable and readable by name, the way a storyboard sets
// its user-defined attributes. Whoever owns a property registers it once, for the views
// of one class and its subclasses.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "vistrel/platform/ui/types.hpp"
#include "vistrel/platform/ui/view.hpp"

namespace platform::ui {

// No value (a colour set to none, say), or one of these kinds.
using PropertyValue = std::variant<std::monostate, bool, double, std::string, Color, Point, Size, Rect>;

struct ViewProperty {
    // Whether the view has this property (its class or a subclass).
    std::function<bool(const View&)> appliesTo;
    // False when the value is of a kind the property does not take.
    std::function<bool(View&, const PropertyValue&)> set;
    std::function<PropertyValue(const View&)> get;
};

// Registers the property under `name`. A later registration of the same name comes
// first for the views it applies to (a subclass may refine its base's property).
void registerViewProperty(std::string name, ViewProperty property);

template <class V>
void registerViewProperty(std::string name, std::function<bool(V&, const PropertyValue&)> set,
                          std::function<PropertyValue(const V&)> get) {
    registerViewProperty(std::move(name),
                         ViewProperty{[](const View& v) {
                                          if constexpr (std::is_same_v<V, View>)
                                              return true;
                                          else
                                              return dynamic_cast<const V*>(&v) != nullptr;
                                      },
                                      [set](View& v, const PropertyValue& value) {
                                          return set(dynamic_cast<V&>(v), value);
                                      },
                                      [get](const View& v) { return get(dynamic_cast<const V&>(v)); }});
}

// Sets the named property. False, with a log line, when the view has no property of
// that name or the value is of the wrong kind.
bool setValueForKey(View& view, std::string_view key, const PropertyValue& value);
// The named property's value; none, with a log line, when the view has no such property.
std::optional<PropertyValue> valueForKey(const View& view, std::string_view key);

}  // namespace platform::ui
