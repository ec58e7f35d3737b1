// Layout: marking, the layout pass, and fitting sizes.
#include "vistrel/platform/ui/layout_constraint.hpp"
#include "vistrel/platform/ui/view_private.hpp"

namespace platform::ui {

void View::layoutIfNeeded() {
    if (needsLayout_) {
        needsLayout_ = false;
        layoutSubviews();
    }
    // A copy: layout may change the tree.
    auto children = subviews_;
    for (auto& child : children) child->layoutIfNeeded();
}

void View::layoutSubviews() {
    auto children = subviews_;
    for (auto& child : children) resolveConstraints(*child);
}

Size View::sizeThatFits(Size) const { return bounds().size; }

void View::sizeToFit() {
    const Size size = sizeThatFits(bounds().size);
    if (transform().isIdentity()) {
        setFrame(Rect{frame().origin, size});
    } else {
        Rect b = bounds();
        b.size = size;
        setBounds(b);
    }
}

}  // namespace platform::ui
