#pragma once
// Internals shared by the view layer's sources; not for use outside platform/ui.
#include "vistrel/platform/ui/view.hpp"

namespace platform::ui::detail {

struct ViewAccess {
    static void layerGeometryDidChange(View& view, const Rect& oldFrame, const Rect& oldBounds) {
        view.layerGeometryDidChange(oldFrame, oldBounds);
    }
    static void drawContent(const View& view, graphics::Canvas& canvas) { view.drawContent(canvas); }
    static View* rawSuperview(const View& view) { return view.superview_; }
};

// Tells every view of the subtree, parents first, that it will move / has moved to
// `window`.
void notifyWillMoveToWindow(View& root, Window* window);
void notifyDidMoveToWindow(View& root);

// The window a view is in, as a plain pointer (none outside any window).
Window* windowOf(const View& view);

}  // namespace platform::ui::detail
