#include "vistrel/platform/ui/navigation_item.hpp"

#include "vistrel/platform/ui/navigation_bar.hpp"

namespace platform::ui {

namespace {

std::vector<std::shared_ptr<BarButtonItem>> single(std::shared_ptr<BarButtonItem> item) {
    if (!item) return {};
    return {std::move(item)};
}

}  // namespace

void NavigationItem::changed() const {
    if (auto bar = bar_.lock()) bar->setNeedsLayout();
}

void NavigationItem::setTitle(std::optional<std::string> title) {
    title_ = std::move(title);
    changed();
}

void NavigationItem::setTitleView(std::shared_ptr<View> view) {
    titleView_ = std::move(view);
    changed();
}

std::shared_ptr<BarButtonItem> NavigationItem::leftBarButtonItem() const { return left_.empty() ? nullptr : left_.front(); }

void NavigationItem::setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item) { setLeftBarButtonItems(single(std::move(item))); }

void NavigationItem::setLeftBarButtonItems(std::vector<std::shared_ptr<BarButtonItem>> items) {
    std::erase(items, nullptr);
    left_ = std::move(items);
    changed();
}

std::shared_ptr<BarButtonItem> NavigationItem::rightBarButtonItem() const {
    return right_.empty() ? nullptr : right_.front();
}

void NavigationItem::setRightBarButtonItem(std::shared_ptr<BarButtonItem> item) {
    setRightBarButtonItems(single(std::move(item)));
}

void NavigationItem::setRightBarButtonItems(std::vector<std::shared_ptr<BarButtonItem>> items) {
    std::erase(items, nullptr);
    right_ = std::move(items);
    changed();
}

void NavigationItem::setBackBarButtonItem(std::shared_ptr<BarButtonItem> item) {
    back_ = std::move(item);
    changed();
}

void NavigationItem::setHidesBackButton(bool hides) {
    hidesBackButton_ = hides;
    changed();
}

}  // namespace platform::ui
