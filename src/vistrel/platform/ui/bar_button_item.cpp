#include "vistrel/platform/ui/bar_button_item.hpp"

#include "vistrel/platform/ui/view.hpp"

namespace platform::ui {

BarButtonItem::BarButtonItem(std::optional<std::string> title, BarButtonItemStyle style)
    : title_(std::move(title)), style_(style) {}

BarButtonItem::BarButtonItem(graphics::Image image, BarButtonItemStyle style)
    : image_(std::move(image)), style_(style) {}

BarButtonItem::BarButtonItem(BarButtonSystemItem systemItem) : systemItem_(systemItem) {}

BarButtonItem::BarButtonItem(std::shared_ptr<View> customView) : customView_(std::move(customView)) {}

void BarButtonItem::sendAction() {
    if (!enabled_) return;
    auto self = weak_from_this().lock();
    action_.send(*this, 1);
}

}  // namespace platform::ui
