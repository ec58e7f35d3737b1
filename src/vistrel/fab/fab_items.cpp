// Adding and removing menu items, and the default look of the items the menu makes.
#include <algorithm>

#include "vistrel/core/palette.hpp"
#include "vistrel/fab/fab.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace vistrel {

void Fab::addItem(const std::shared_ptr<FabItem>& item) {
    if (!item) return;
    // One menu, one place in it: a second listing would leave a view that its first
    // removal detaches still in the list.
    if (auto owner = item->actionButton()) owner->removeItem(*item);
    const double big = std::max(size_, item->size());
    const double small = std::min(size_, item->size());
    Rect f = item->frame();
    f.origin = {big / 2 - small / 2, big / 2 - small / 2};
    item->setFrame(f);
    item->setAlpha(0);
    item->setActionButton(strongSelf());
    items_.push_back(item);
    addSubview(item);
}

void Fab::itemDefaultSet(FabItem& item) {
    item.buttonColor = vistrelPrimary();
    item.iconImageView().setTintColor(itemImageColor ? *itemImageColor : plusColor);
    item.setTitleColor(itemTitleColor);
    item.circleShadowColor = itemShadowColor;
    item.titleShadowColor = itemShadowColor;
    item.setSize(itemSize_);
}

std::shared_ptr<FabItem> Fab::addDefaultItem(const std::optional<std::string>& title, std::optional<Image> icon,
                                             bool setsPosition, std::optional<FabItemLabelPositionType> position,
                                             FabItem::Handler handler) {
    auto item = std::make_shared<FabItem>();
    itemDefaultSet(*item);
    if (setsPosition) item->titleLabelPosition = position.value_or(FabItemLabelPositionType::left);
    if (title) item->setTitle(*title);
    if (icon) item->setIcon(std::move(icon));
    if (handler) item->handler = std::move(handler);
    addItem(item);
    return item;
}

std::shared_ptr<FabItem> Fab::addItem(const std::string& title) {
    return addDefaultItem(title, std::nullopt, false, std::nullopt, {});
}
std::shared_ptr<FabItem> Fab::addItem(const std::string& title, std::optional<FabItemLabelPositionType> position) {
    return addDefaultItem(title, std::nullopt, true, position, {});
}
std::shared_ptr<FabItem> Fab::addItem(const std::string& title, std::optional<Image> icon) {
    return addDefaultItem(title, std::move(icon), false, std::nullopt, {});
}
std::shared_ptr<FabItem> Fab::addItem(const std::string& title, std::optional<Image> icon,
                                      std::optional<FabItemLabelPositionType> position) {
    return addDefaultItem(title, std::move(icon), true, position, {});
}
std::shared_ptr<FabItem> Fab::addItem(const std::string& title, FabItem::Handler handler) {
    return addDefaultItem(title, std::nullopt, false, std::nullopt, std::move(handler));
}
std::shared_ptr<FabItem> Fab::addItem(const std::string& title, std::optional<FabItemLabelPositionType> position,
                                      FabItem::Handler handler) {
    return addDefaultItem(title, std::nullopt, true, position, std::move(handler));
}
std::shared_ptr<FabItem> Fab::addItem(const std::string& title, std::optional<Image> icon, FabItem::Handler handler) {
    return addDefaultItem(title, std::move(icon), false, std::nullopt, std::move(handler));
}
std::shared_ptr<FabItem> Fab::addItem(const std::string& title, std::optional<Image> icon,
                                      std::optional<FabItemLabelPositionType> position, FabItem::Handler handler) {
    return addDefaultItem(title, std::move(icon), true, position, std::move(handler));
}
std::shared_ptr<FabItem> Fab::addItem(const Image& icon) {
    return addDefaultItem(std::nullopt, icon, false, std::nullopt, {});
}
std::shared_ptr<FabItem> Fab::addItem(const Image& icon, FabItem::Handler handler) {
    return addDefaultItem(std::nullopt, icon, false, std::nullopt, std::move(handler));
}

void Fab::removeItem(const FabItem& item) {
    auto it = std::find_if(items_.begin(), items_.end(), [&](const auto& i) { return i.get() == &item; });
    if (it == items_.end()) return;
    removeItem(static_cast<std::size_t>(it - items_.begin()));
}

bool Fab::removeItem(std::size_t index) {
    if (index >= items_.size()) {
        std::string line = "Fab: no item at position ";
        line.append(std::to_string(index)).append(" of ").append(std::to_string(items_.size()));
        line.append("; nothing removed");
        platform::log(line);
        return false;
    }
    auto item = items_[index];  // held while it leaves: its removal may be its own handler's doing
    if (item->superview().get() == this) item->removeFromSuperview();
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
    if (item->actionButton().get() == this) item->setActionButton(nullptr);
    return true;
}

}  // namespace vistrel
