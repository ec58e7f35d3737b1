// Display: the mark, the display pass over a subtree, and the drawing hooks.
#include "vistrel/platform/ui/view_private.hpp"

namespace platform::ui {

void View::displayIfNeeded() {
    // Hidden views keep their mark until they are shown.
    if (isHidden()) return;
    if (needsDisplay_) {
        needsDisplay_ = false;
        draw(bounds());
    }
    // A copy: drawing may change the tree.
    auto children = subviews_;
    for (auto& child : children) child->displayIfNeeded();
}

void View::draw(const Rect&) {}

void View::drawContent(graphics::Canvas&) const {}

}  // namespace platform::ui
