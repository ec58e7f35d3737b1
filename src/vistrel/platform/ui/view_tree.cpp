// The view tree: subviews in order, the superview link and the move callbacks.
#include <algorithm>

#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/gesture_recognizer.hpp"
#include "vistrel/platform/ui/layout_constraint.hpp"
#include "vistrel/platform/ui/main_thread_check.hpp"
#include "vistrel/platform/ui/view_private.hpp"
#include "vistrel/platform/ui/window.hpp"

namespace platform::ui {

namespace detail {

void notifyWillMoveToWindow(View& root, Window* window) {
    root.willMoveToWindow(window);
    auto children = root.subviews();
    for (auto& child : children) notifyWillMoveToWindow(*child, window);
}

void notifyDidMoveToWindow(View& root) {
    root.didMoveToWindow();
    auto children = root.subviews();
    for (auto& child : children) notifyDidMoveToWindow(*child);
}

Window* windowOf(const View& view) {
    for (const View* v = &view; v; v = ViewAccess::rawSuperview(*v))
        if (auto* window = dynamic_cast<const Window*>(v)) return const_cast<Window*>(window);
    return nullptr;
}

}  // namespace detail

View::View(const Rect& frame) : layer_(std::make_shared<Layer>()) {
    layer_->view_ = this;
    layer_->setFrame(frame);
}

View::~View() {
    for (auto& subview : subviews_) subview->superview_ = nullptr;
    for (auto& recognizer : recognizers_) recognizer->detachFromView(this);
    layer_->view_ = nullptr;
}

std::shared_ptr<View> View::superview() const {
    return superview_ ? superview_->weak_from_this().lock() : nullptr;
}

std::shared_ptr<Window> View::window() const {
    Window* window = detail::windowOf(*this);
    return window ? std::static_pointer_cast<Window>(window->weak_from_this().lock()) : nullptr;
}

bool View::isDescendant(const View& ancestor) const {
    for (const View* v = this; v; v = v->superview_)
        if (v == &ancestor) return true;
    return false;
}

std::shared_ptr<View> View::viewWithTag(int tag) {
    if (tag_ == tag) {
        if (auto self = weak_from_this().lock()) return self;
    }
    for (auto& subview : subviews_)
        if (auto found = subview->viewWithTag(tag)) return found;
    return nullptr;
}

bool View::canAdopt(const View& view) const {
    if (isDescendant(view)) {
        log("View :: refusing to add a view to itself or to one of its own descendants");
        return false;
    }
    return true;
}

void View::addSubview(std::shared_ptr<View> view) { insertSubviewAt(std::move(view), subviews_.size() + 1); }

void View::insertSubview(std::shared_ptr<View> view, std::size_t index) { insertSubviewAt(std::move(view), index); }

void View::insertSubviewAbove(std::shared_ptr<View> view, const View* sibling) {
    if (!view) return;
    std::size_t index = subviews_.size();
    for (std::size_t i = 0; i < subviews_.size(); ++i)
        if (subviews_[i].get() == sibling) index = i + 1;
    // Moving a subview that sits below the sibling shifts the sibling down by one.
    for (std::size_t i = 0; i < index && i < subviews_.size(); ++i)
        if (subviews_[i] == view) {
            --index;
            break;
        }
    insertSubviewAt(std::move(view), index);
}

void View::insertSubviewBelow(std::shared_ptr<View> view, const View* sibling) {
    if (!view) return;
    std::size_t index = 0;
    for (std::size_t i = 0; i < subviews_.size(); ++i)
        if (subviews_[i].get() == sibling) index = i;
    for (std::size_t i = 0; i < index && i < subviews_.size(); ++i)
        if (subviews_[i] == view) {
            --index;
            break;
        }
    insertSubviewAt(std::move(view), index);
}

void View::bringSubviewToFront(const View* view) {
    for (auto& subview : subviews_)
        if (subview.get() == view) {
            auto keep = subview;
            insertSubviewAt(std::move(keep), subviews_.size());
            return;
        }
}

namespace {

// Takes the view out of its superview's list and its layer out of the layer tree,
// without callbacks.
void detach(View& view, std::vector<std::shared_ptr<View>>& list) {
    list.erase(std::remove_if(list.begin(), list.end(), [&](const auto& v) { return v.get() == &view; }),
               list.end());
    view.layer().removeFromSuperlayer();
}

}  // namespace

// `index` counts in the list without the view (for a view already here, its own
// place is taken out first).
void View::insertSubviewAt(std::shared_ptr<View> view, std::size_t index) {
    detail::assertMainThread("View::addSubview");
    if (!view || !canAdopt(*view)) return;

    View* oldSuperview = view->superview_;
    const bool moving = oldSuperview != this;
    Window* oldWindow = detail::windowOf(*view);
    Window* newWindow = detail::windowOf(*this);
    const bool windowChanges = moving && oldWindow != newWindow;
    if (moving) {
        if (oldSuperview) oldSuperview->willRemoveSubview(*view);
        view->willMoveToSuperview(this);
        if (windowChanges) detail::notifyWillMoveToWindow(*view, newWindow);
    }
    // The callbacks may have moved it; take it from wherever it is now.
    if (View* current = view->superview_) {
        detach(*view, current->subviews_);
        if (current != this) current->setNeedsLayout();
    } else {
        view->layer().removeFromSuperlayer();
    }
    view->superview_ = this;
    index = std::min(index, subviews_.size());
    subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(index), view);

    // The layer follows: below the next subview's layer, or on top when it is the last.
    if (index + 1 < subviews_.size())
        layer_->insertSublayerBelow(view->layer_, subviews_[index + 1]->layer_.get());
    else
        layer_->addSublayer(view->layer_);

    setNeedsLayout();
    if (!moving) return;
    view->setNeedsLayout();
    if (windowChanges) detail::notifyDidMoveToWindow(*view);
    view->didMoveToSuperview();
    didAddSubview(*view);
}

void View::removeFromSuperview() {
    detail::assertMainThread("View::removeFromSuperview");
    View* parent = superview_;
    if (!parent) return;
    // The superview's list owns this view: keep it alive while it leaves.
    std::shared_ptr<View> self;
    for (auto& subview : parent->subviews_)
        if (subview.get() == this) self = subview;
    Window* oldWindow = detail::windowOf(*this);
    parent->willRemoveSubview(*this);
    willMoveToSuperview(nullptr);
    if (oldWindow) detail::notifyWillMoveToWindow(*this, nullptr);
    if (View* current = superview_) {
        detach(*this, current->subviews_);
        current->setNeedsLayout();
    }
    superview_ = nullptr;
    if (oldWindow) detail::notifyDidMoveToWindow(*this);
    didMoveToSuperview();
}

void View::willMoveToSuperview(View*) {}
void View::didMoveToSuperview() {}
void View::willMoveToWindow(Window*) {}
void View::didMoveToWindow() {}
void View::didAddSubview(View&) {}
void View::willRemoveSubview(View&) {}

Color View::tintColor() const {
    if (tintColor_) return *tintColor_;
    if (superview_) return superview_->tintColor();
    return systemBlue();
}

void View::setTintColor(std::optional<Color> color) {
    tintColor_ = color;
    setNeedsDisplay();
}

void View::setContentMode(ContentMode mode) {
    contentMode_ = mode;
    setNeedsDisplay();
}

}  // namespace platform::ui
