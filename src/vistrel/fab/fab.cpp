// The button's making, its properties and their change effects.
#include "vistrel/fab/fab.hpp"

#include <algorithm>

#include "vistrel/core/palette.hpp"
#include "vistrel/fab/fab_manager.hpp"
#include "vistrel/fab/fab_superview_tracking.hpp"

namespace vistrel {

namespace ui = platform::ui;

Fab::Fab(DefaultsTag) : View(Rect{0, 0, defaultSize, defaultSize}), buttonColor(vistrelPrimary()) {
    tracking_ = std::make_shared<FabSuperviewTracking>(*this);
    setBackgroundColor(Color::clear());
}

Fab::Fab() : Fab(defaultSize) {}

Fab::Fab(double size) : Fab(DefaultsTag{}) {
    size_ = size;
    setFrame(Rect{0, 0, size, size});
    setObserver();
}

Fab::Fab(const Rect& frame) : Fab(DefaultsTag{}) {
    setFrame(frame);
    size_ = std::min(frame.width(), frame.height());
    isCustomFrame_ = true;
    setObserver();
}

std::shared_ptr<Fab> Fab::fromStoryboard(const Rect& frame) {
    auto fab = std::make_shared<Fab>(frame);
    fab->setClipsToBounds(false);
    return fab;
}

Fab::~Fab() {
    auto& centre = ui::NotificationCenter::defaultCenter();
    for (const auto& token : notificationTokens_) centre.removeObserver(token);
    tracking_->removeAll();
}

FabManager& Fab::global() { return FabManager::defaultInstance(); }

void Fab::setSize(double size) {
    size_ = size;
    setNeedsDisplay();
    recalculateItemsOrigin();
}

void Fab::deriveSizeFromFrame() {
    const Rect f = frame();
    const double derived = std::min(f.width(), f.height());
    if (derived != size_) setSize(derived);
}

void Fab::setPaddingX(double padding) {
    paddingX_ = padding;
    setNeedsDisplay();
}

void Fab::setPaddingY(double padding) {
    paddingY_ = padding;
    setNeedsDisplay();
}

void Fab::setButtonImage(std::optional<Image> image) {
    buttonImage_ = std::move(image);
    setNeedsDisplay();
}

void Fab::setItemSize(double size) {
    itemSize_ = size;
    for (const auto& item : items_) item->setSize(size);
    recalculateItemsOrigin();
    setNeedsDisplay();
}

std::shared_ptr<Fab> Fab::strongSelf() { return std::static_pointer_cast<Fab>(weak_from_this().lock()); }

void Fab::send(void (FabDelegate::*callback)(Fab&)) {
    if (auto delegate = fabDelegate_.lock()) ((*delegate).*callback)(*this);
}

std::vector<std::shared_ptr<FabItem>> Fab::attachedItems() const {
    std::vector<std::shared_ptr<FabItem>> attached;
    for (const auto& item : items_)
        if (item->superview().get() == this) attached.push_back(item);
    return attached;
}

}  // namespace vistrel
