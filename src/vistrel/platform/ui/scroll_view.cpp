#include "vistrel/platform/ui/scroll_view.hpp"

#include <algorithm>
#include <cmath>

#include "vistrel/platform/ui/animation.hpp"

namespace platform::ui {

namespace {

// A finger that moves less than this (in points) is still tapping.
constexpr double tapSlop = 10;

double finiteOr(double value, double fallback) { return std::isfinite(value) ? value : fallback; }

}  // namespace

ScrollView::ScrollView(const Rect& frame) : View(frame) { setClipsToBounds(true); }

void ScrollView::setContentSize(Size size) {
    contentSize_ = {std::max(0.0, finiteOr(size.width, 0)), std::max(0.0, finiteOr(size.height, 0))};
}

void ScrollView::setContentOffset(Point offset) {
    offset = {finiteOr(offset.x, 0), finiteOr(offset.y, 0)};
    const Point old = contentOffset();
    if (offset == old) return;
    Rect b = bounds();
    b.origin = offset;
    setBounds(b);
    didChangeValue("contentOffset", old, offset);
    contentOffsetDidChange();
    if (auto d = delegate()) d->scrollViewDidScroll(*this);
}

void ScrollView::setContentOffset(Point offset, bool animated) {
    if (!animated) return setContentOffset(offset);
    animate(0.3, [&] { setContentOffset(offset); });
}

void ScrollView::setContentInset(const EdgeInsets& inset) {
    const EdgeInsets old = contentInset_;
    contentInset_ = inset;
    const Point o = contentOffset();
    setContentOffset({o.x - (inset.left - old.left), o.y - (inset.top - old.top)});
}

Point ScrollView::minimumContentOffset() const { return {-contentInset_.left, -contentInset_.top}; }

Point ScrollView::maximumContentOffset() const {
    const Point low = minimumContentOffset();
    const Size size = bounds().size;
    return {std::max(low.x, contentSize_.width + contentInset_.right - size.width),
            std::max(low.y, contentSize_.height + contentInset_.bottom - size.height)};
}

Point ScrollView::settledOffset() const {
    const Point low = minimumContentOffset(), high = maximumContentOffset();
    Point o = contentOffset();
    const Size page = bounds().size;
    if (pagingEnabled_) {
        // Pages are whole bounds, counted from the start of the content.
        if (page.width > 0) o.x = std::round(o.x / page.width) * page.width;
        if (page.height > 0) o.y = std::round(o.y / page.height) * page.height;
    }
    return {std::clamp(o.x, low.x, high.x), std::clamp(o.y, low.y, high.y)};
}

bool ScrollView::canScroll(bool sideways) const {
    if (sideways)
        return maximumContentOffset().x > minimumContentOffset().x || contentSize_.width > bounds().width();
    return maximumContentOffset().y > minimumContentOffset().y || contentSize_.height > bounds().height();
}

void ScrollView::dragBy(Size distance) {
    if (!scrollEnabled_) return;
    auto self = weak_from_this().lock();
    if (!dragging_) {
        dragging_ = true;
        if (auto d = delegate()) d->scrollViewWillBeginDragging(*this);
    }
    // Content narrower than the view does not move sideways, nor shorter content
    // up and down, unless it has room to (as with a paging view of one page).
    const Point o = contentOffset();
    setContentOffset({canScroll(true) ? o.x - finiteOr(distance.width, 0) : o.x,
                      canScroll(false) ? o.y - finiteOr(distance.height, 0) : o.y});
}

void ScrollView::endDragging() {
    if (!dragging_) return;
    auto self = weak_from_this().lock();
    dragging_ = false;
    if (auto d = delegate()) d->scrollViewDidEndDragging(*this);
    setContentOffset(settledOffset());
    if (auto d = delegate()) d->scrollViewDidEndDecelerating(*this);
}

std::shared_ptr<ScrollView> ScrollView::enclosingScrollView() const {
    for (auto v = superview(); v; v = v->superview())
        if (auto scroll = std::dynamic_pointer_cast<ScrollView>(v)) return scroll;
    return nullptr;
}

void ScrollView::touchesBegan(const TouchSet& touches, const Event* event) {
    if (touches.empty()) return;
    touchDown_ = true;
    touchMoved_ = false;
    passingOn_ = false;
    touchPoint_ = touches.front()->location();
    // An enclosing scroll view hears of the touch too, in case the finger turns out to
    // be its own.
    outer_ = enclosingScrollView();
    if (outer_) outer_->touchesBegan(touches, event);
}

void ScrollView::touchesMoved(const TouchSet& touches, const Event* event) {
    if (passingOn_) return outer_->touchesMoved(touches, event);
    if (!touchDown_ || touches.empty()) return;
    const Point p = touches.front()->location();
    const double dx = p.x - touchPoint_.x, dy = p.y - touchPoint_.y;
    if (!touchMoved_) {
        if (std::hypot(dx, dy) < tapSlop) return;
        if (outer_ && !canScroll(std::abs(dx) > std::abs(dy))) {
            passingOn_ = true;
            touchDown_ = false;
            return outer_->touchesMoved(touches, event);
        }
    }
    touchMoved_ = true;
    // The window's space: the finger's distance does not change as the content moves.
    dragBy({dx, dy});
    touchPoint_ = p;
}

void ScrollView::touchesEnded(const TouchSet& touches, const Event* event) {
    if (passingOn_) {
        passingOn_ = false;
        if (auto outer = std::move(outer_)) outer->touchesEnded(touches, event);
        return;
    }
    if (!touchDown_) return;
    touchDown_ = false;
    // The enclosing view's part of the touch ends without its finger.
    if (auto outer = std::move(outer_)) outer->touchesCancelled(touches, event);
    if (touchMoved_) return endDragging();
    if (!touches.empty()) didTap(touches.front()->location(this));
}

void ScrollView::touchesCancelled(const TouchSet& touches, const Event* event) {
    if (passingOn_) {
        passingOn_ = false;
        if (auto outer = std::move(outer_)) outer->touchesCancelled(touches, event);
        return;
    }
    if (!touchDown_) return;
    touchDown_ = false;
    if (auto outer = std::move(outer_)) outer->touchesCancelled(touches, event);
    if (touchMoved_) endDragging();
}

}  // namespace platform::ui
