// Geometry of views: changes coming from the layer, and conversion between views.
#include <cmath>
#include <limits>

#include "vistrel/platform/ui/view_private.hpp"

namespace platform::ui {

void View::layerGeometryDidChange(const Rect& oldFrame, const Rect& oldBounds) {
    const Rect newFrame = frame();
    const Rect newBounds = bounds();
    if (newBounds.size != oldBounds.size) setNeedsLayout();
    if (newFrame != oldFrame) didChangeValue("frame", oldFrame, newFrame);
    if (newBounds != oldBounds) didChangeValue("bounds", oldBounds, newBounds);
}

namespace {

const View* rootOf(const View* view) {
    while (auto* parent = detail::ViewAccess::rawSuperview(*view)) view = parent;
    return view;
}

// From the view's bounds space to `ancestor`'s (which must be the view or one of its
// ancestors); with no ancestor, to the space the topmost ancestor sits in.
AffineTransform toAncestor(const View* view, const View* ancestor) {
    AffineTransform t;
    for (const View* v = view; v && v != ancestor; v = detail::ViewAccess::rawSuperview(*v))
        t = t.concatenating(v->layer().transformToSuperlayer());
    return t;
}

const View* commonAncestor(const View* a, const View* b) {
    for (const View* x = a; x; x = detail::ViewAccess::rawSuperview(*x))
        if (b->isDescendant(*x)) return x;
    return nullptr;
}

Point notAPoint() {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    return {nan, nan};
}

// From `from`'s bounds space to `to`'s; a null view stands for the topmost ancestor
// of the other one. Goes through the nearest common ancestor, so that conversions
// within a tree lose no precision to the trees above it.
std::optional<AffineTransform> between(const View* from, const View* to, const View* self) {
    if (!from) from = rootOf(self);
    if (!to) to = rootOf(self);
    if (from == to) return AffineTransform::identity();
    const View* common = commonAncestor(from, to);
    auto down = toAncestor(to, common).inverted();
    if (!down) return std::nullopt;
    return toAncestor(from, common).concatenating(*down);
}

}  // namespace

Point View::convertPoint(Point point, const View* to) const {
    auto t = between(this, to, this);
    return t ? t->apply(point) : notAPoint();
}

Point View::convertPointFrom(Point point, const View* from) const {
    auto t = between(from, this, this);
    return t ? t->apply(point) : notAPoint();
}

Rect View::convertRect(const Rect& rect, const View* to) const {
    auto t = between(this, to, this);
    if (!t) return {notAPoint(), Size{}};
    return t->apply(rect);
}

Rect View::convertRectFrom(const Rect& rect, const View* from) const {
    auto t = between(from, this, this);
    if (!t) return {notAPoint(), Size{}};
    return t->apply(rect);
}

}  // namespace platform::ui
