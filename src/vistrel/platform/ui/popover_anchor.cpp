#include "vistrel/platform/ui/popover_anchor.hpp"

namespace platform::ui {

PopoverAnchor popoverAnchor(const std::shared_ptr<BarButtonItem>& barButton, const std::shared_ptr<View>& view) {
    PopoverAnchor anchor;
    anchor.barButtonItem = barButton;
    if (!barButton && view) {
        const Rect bounds = view->bounds();
        anchor.sourceView = view;
        anchor.sourceRect = {{bounds.origin.x + bounds.size.width / 2, bounds.origin.y + bounds.size.height / 2}, {0, 0}};
    }
    return anchor;
}

}  // namespace platform::ui
