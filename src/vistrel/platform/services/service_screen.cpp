#include "vistrel/platform/services/service_screen.hpp"

#include <algorithm>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"
#include "vistrel/platform/ui/image_view.hpp"
#include "vistrel/platform/ui/label.hpp"
#include "vistrel/platform/ui/layout_callback_view.hpp"
#include "vistrel/platform/ui/screen.hpp"

namespace platform::services {

using namespace platform::ui;

namespace {

constexpr double kPadding = 16;
constexpr double kCaptionSize = 13;
constexpr double kValueSize = 17;
constexpr double kImageSide = 120;

std::shared_ptr<Label> makeLabel(double size, Color colour) {
    auto label = std::make_shared<Label>();
    label->setFont(graphics::FontRegistry::shared().defaultFont(size));
    label->setTextColor(colour);
    label->setNumberOfLines(0);
    label->setLineBreakMode(LineBreakMode::wordWrap);
    return label;
}

}  // namespace

ServiceScreen::ServiceScreen(std::string title, std::optional<std::string> leftTitle,
                             std::optional<std::string> rightTitle)
    : item_(std::make_shared<NavigationItem>(title)) {
    setTitle(std::move(title));
    if (leftTitle) left_ = std::make_shared<BarButtonItem>(std::move(leftTitle));
    if (rightTitle) right_ = std::make_shared<BarButtonItem>(std::move(rightTitle), BarButtonItemStyle::done);
}

void ServiceScreen::loadView() {
    auto root = std::make_shared<LayoutCallbackView>(Screen::main().bounds());
    root->setBackgroundColor(Color::white());
    std::weak_ptr<ViewController> weak = weak_from_this();
    root->onLayout = [weak] {
        if (auto self = weak.lock()) static_cast<ServiceScreen&>(*self).layout();
    };
    auto self = std::static_pointer_cast<ServiceScreen>(weak.lock());
    if (left_ && self) left_->setTarget(self, &ServiceScreen::onLeft);
    if (right_ && self) right_->setTarget(self, &ServiceScreen::onRight);
    if (left_) item_->setLeftBarButtonItem(left_);
    if (right_) item_->setRightBarButtonItem(right_);
    bar_ = std::make_shared<NavigationBar>();
    bar_->setItems({item_});
    root->addSubview(bar_);
    setView(root);
    refresh();
}

void ServiceScreen::refresh() {
    auto root = viewIfLoaded();
    if (!root) return;
    for (auto& label : rowLabels_) label->removeFromSuperview();
    for (auto& image : rowImages_)
        if (image) image->removeFromSuperview();
    rowLabels_.clear();
    rowImages_.clear();
    for (auto& row : rows()) {
        auto caption = makeLabel(kCaptionSize, Color::darkGray());
        caption->setText(row.caption);
        auto value = makeLabel(kValueSize, Color::black());
        value->setText(row.value);
        std::shared_ptr<ImageView> image;
        if (row.image) {
            image = std::make_shared<ImageView>(row.image);
            image->setContentMode(ContentMode::scaleAspectFit);
            root->addSubview(image);
        }
        root->addSubview(caption);
        root->addSubview(value);
        rowLabels_.push_back(caption);
        rowLabels_.push_back(value);
        rowImages_.push_back(image);
    }
    root->bringSubviewToFront(bar_.get());
    root->setNeedsLayout();
    root->setNeedsDisplay();
}

void ServiceScreen::layout() {
    auto root = viewIfLoaded();
    if (!root) return;
    const Rect b = root->bounds();
    const double barBottom = NavigationBar::statusBarHeight + NavigationBar::defaultHeight;
    bar_->setFrame({0, NavigationBar::statusBarHeight, b.width(), NavigationBar::defaultHeight});
    const Rect content{b.minX(), barBottom, b.width(), std::max(0.0, b.height() - barBottom)};
    double y = barBottom + kPadding;
    const double inner = std::max(0.0, b.width() - 2 * kPadding);
    for (std::size_t i = 0; i + 1 < rowLabels_.size(); i += 2) {
        for (std::size_t j : {i, i + 1}) {
            const Size size = rowLabels_[j]->sizeThatFits({inner, 0});
            rowLabels_[j]->setFrame({kPadding, y, inner, size.height});
            y += size.height + 2;
        }
        if (auto& image = rowImages_[i / 2]) {
            image->setFrame({kPadding, y, std::min(inner, kImageSide), kImageSide});
            y += kImageSide;
        }
        y += kPadding;
    }
    layoutExtra(content, y);
}

bool ServiceScreen::finishOnce(const char* what, const std::function<bool()>& tellDelegate) {
    if (finished_ || !presentingViewController()) {
        log(concatenate(what, " :: ", description(), " is not shown or has already finished; ignored"));
        return false;
    }
    finished_ = true;
    if (!tellDelegate()) {
        log(concatenate(what, " :: no delegate to close ", description(), "; it closes itself"));
        dismiss(true);
    }
    return true;
}

}  // namespace platform::services
