#pragma once
// A place in a sectioned list: a section and a row (an item, in a collection).
#include <compare>

namespace platform::ui {

struct IndexPath {
    int section = 0;
    int row = 0;
    int item() const { return row; }
    friend auto operator<=>(const IndexPath&, const IndexPath&) = default;
};

}  // namespace platform::ui
