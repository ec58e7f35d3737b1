// A tap on the button toggles the menu; an open menu routes touches on an item's
// circle, title or the margin beside them to the item; the button follows its
// superview's size and, when sticky, the scrolling of the scroll view that holds it.
#include <algorithm>

#include "vistrel/fab/fab.hpp"
#include "vistrel/fab/fab_superview_tracking.hpp"
#include "vistrel/platform/ui/scroll_view.hpp"

namespace vistrel {

namespace ui = platform::ui;

namespace {

// The ancestors of the view, nearest first.
std::vector<std::shared_ptr<ui::View>> allSuperviews(const ui::View& view) {
    std::vector<std::shared_ptr<ui::View>> chain;
    for (auto parent = view.superview(); parent; parent = parent->superview()) chain.push_back(parent);
    return chain;
}

}  // namespace

void Fab::touchesBegan(const ui::TouchSet& touches, const ui::Event* event) {
    View::touchesBegan(touches, event);
    if (isSingleTap(touches)) setTintLayer();
}

void Fab::touchesEnded(const ui::TouchSet& touches, const ui::Event* event) {
    auto keep = strongSelf();
    View::touchesEnded(touches, event);
    tintLayer_->removeFromSuperlayer();
    if (isSingleTap(touches)) toggle();
}

void Fab::touchesCancelled(const ui::TouchSet& touches, const ui::Event* event) {
    View::touchesCancelled(touches, event);
    tintLayer_->removeFromSuperlayer();  // a cancelled touch leaves no highlight behind
}

std::shared_ptr<ui::View> Fab::hitTest(Point point, const ui::Event* event) {
    if (closed_) return View::hitTest(point, event);
    for (const auto& item : attachedItems()) {
        if (item->isHidden()) continue;
        const Point inItem = convertPoint(point, item.get());
        if (determineTapArea(*item).contains(inItem)) return item->hitTest(item->bounds().origin, event);
    }
    return View::hitTest(point, event);
}

Fab::Rect Fab::determineTapArea(FabItem& item) const {
    const Rect bounds = item.bounds();
    ui::Label& label = item.titleLabel();
    const double x =
        item.titleLabelPosition == FabItemLabelPositionType::left ? label.frame().origin.x + bounds.origin.x : bounds.origin.x;
    double width = label.bounds().width() + bounds.width() + 30;
    if (isCustomFrame_) width += paddingX_;
    return Rect{x, bounds.origin.y, width, bounds.height()};
}

void Fab::willMoveToSuperview(ui::View* newSuperview) {
    // Exactly the observations made when the button entered its superview go.
    tracking_->removeAll();
    View::willMoveToSuperview(newSuperview);
}

void Fab::didMoveToSuperview() {
    View::didMoveToSuperview();
    auto parent = superview();
    if (!parent) return;
    tracking_->observe(*parent, "frame");
    tracking_->observe(*parent, "bounds");
    if (!sticky) return;
    for (const auto& view : allSuperviews(*this))
        if (dynamic_cast<ui::ScrollView*>(view.get())) tracking_->observe(*view, "contentOffset");
}

void Fab::observeSuperviewChange(ui::View& object, const std::string& keyPath) {
    if (&object != superview().get()) return;
    if (keyPath == "frame" || keyPath == "bounds") {
        if (!isCustomFrame_) {
            setBottomFrameAccordingToRTL(0);
            setOverlayFrame();
        } else {
            deriveSizeFromFrame();
        }
        return;
    }
    auto* scrollView = dynamic_cast<ui::ScrollView*>(&object);
    if (keyPath != "contentOffset" || !scrollView) return;
    const Rect b = scrollView->bounds();
    const Point offset = scrollView->contentOffset();
    Rect f = frame();
    f.origin = {b.width() - size_ - paddingX_ + offset.x, b.height() - size_ - paddingY_ + offset.y};
    setFrame(f);
}

}  // namespace vistrel
