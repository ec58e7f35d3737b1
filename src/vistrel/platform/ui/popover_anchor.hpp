#pragma once
// Where a sheet shown as a popover points: a bar button, else a rectangle of a view.
#include <memory>

#include "vistrel/platform/ui/bar_button_item.hpp"
#include "vistrel/platform/ui/types.hpp"
#include "vistrel/platform/ui/view.hpp"

namespace platform::ui {

struct PopoverAnchor {
    std::weak_ptr<BarButtonItem> barButtonItem;
    std::weak_ptr<View> sourceView;
    Rect sourceRect;
};

// The bar button when there is one, else the middle of the view (no anchor at all
// without either).
PopoverAnchor popoverAnchor(const std::shared_ptr<BarButtonItem>& barButton, const std::shared_ptr<View>& view);

}  // namespace platform::ui
