#pragma once
// Observing a view's "frame", "bounds" (and, on scroll views, "contentOffset"):
// observers are told synchronously, after the change, and are held weakly.
#include <string>
#include <variant>

#include "vistrel/platform/ui/types.hpp"

namespace platform::ui {

class View;

using ObservedValue = std::variant<Rect, Point>;

struct KeyValueChange {
    ObservedValue oldValue;
    ObservedValue newValue;
};

class KeyValueObserver {
public:
    virtual ~KeyValueObserver() = default;
    virtual void observeValue(const std::string& keyPath, View& object, const KeyValueChange& change) = 0;
};

}  // namespace platform::ui
