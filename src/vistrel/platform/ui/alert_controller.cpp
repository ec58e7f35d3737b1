#include "vistrel/platform/ui/alert_controller.hpp"

#include <algorithm>
#include <functional>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"
#include "vistrel/platform/ui/button.hpp"
#include "vistrel/platform/ui/label.hpp"
#include "vistrel/platform/ui/layout_callback_view.hpp"
#include "vistrel/platform/ui/screen.hpp"

namespace platform::ui {

namespace {

constexpr double kAlertWidth = 270;
constexpr double kSheetMargin = 8;
constexpr double kPadding = 16;
constexpr double kButtonHeight = 44;
constexpr double kHairline = 0.5;
constexpr double kTitleSize = 17;
constexpr double kMessageSize = 13;

std::shared_ptr<Label> makeLabel(double size) {
    auto label = std::make_shared<Label>();
    label->setFont(graphics::FontRegistry::shared().defaultFont(size));
    label->setNumberOfLines(0);
    label->setTextAlignment(TextAlignment::center);
    return label;
}

}  // namespace

AlertController::AlertController(std::optional<std::string> title, std::optional<std::string> message,
                                 AlertControllerStyle preferredStyle)
    : message_(std::move(message)), style_(preferredStyle) {
    setTitle(std::move(title));
    setModalPresentationStyle(ModalPresentationStyle::overFullScreen);
}

void AlertController::setMessage(std::optional<std::string> message) {
    message_ = std::move(message);
    rebuild();
}

void AlertController::addAction(std::shared_ptr<AlertAction> action) {
    if (!action) return;
    actions_.push_back(std::move(action));
    rebuild();
}

// ---- Tapping ----

bool AlertController::tapAction(std::size_t index) {
    if (index >= actions_.size()) {
        log(concatenate("AlertController :: no action at index ", std::to_string(index), " of ", description()));
        return false;
    }
    if (!presentingViewController() || closing_) {
        log(concatenate("AlertController :: ", description(),
                        " is not shown or already closing; the tap is ignored"));
        return false;
    }
    auto action = actions_[index];
    if (!action->isEnabled()) {
        log(concatenate("AlertController :: the action at index ", std::to_string(index), " is disabled"));
        return false;
    }
    closing_ = true;
    dismiss(true, [action] {
        if (action->handler()) action->handler()(*action);
    });
    return true;
}

bool AlertController::tapAction(std::string_view title) {
    for (std::size_t i = 0; i < actions_.size(); ++i)
        if (actions_[i]->title() == title) return tapAction(i);
    log(concatenate("AlertController :: no action titled \"", escapeControlCharacters(title), "\" in ",
                    description()));
    return false;
}

void AlertController::buttonTapped(Button& button) {
    for (std::size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i].get() == &button) {
            tapAction(i);
            return;
        }
}

void AlertController::viewWillAppear(bool animated) {
    ViewController::viewWillAppear(animated);
    closing_ = false;
}

// ---- The view ----

void AlertController::loadView() {
    auto root = std::make_shared<LayoutCallbackView>(Screen::main().bounds());
    root->setBackgroundColor(Color::black().withAlpha(0.4));
    std::weak_ptr<ViewController> weak = weak_from_this();
    root->onLayout = [weak] {
        if (auto self = weak.lock()) static_cast<AlertController&>(*self).layoutAlert();
    };
    box_ = std::make_shared<View>();
    box_->setBackgroundColor(Color::white(0.97));
    box_->layer().setCornerRadius(13);
    box_->setClipsToBounds(true);
    titleLabel_ = makeLabel(kTitleSize);
    messageLabel_ = makeLabel(kMessageSize);
    box_->addSubview(titleLabel_);
    box_->addSubview(messageLabel_);
    root->addSubview(box_);
    setView(root);
    rebuild();
}

void AlertController::rebuild() {
    auto root = viewIfLoaded();
    if (!root || !box_) return;
    titleLabel_->setText(title());
    titleLabel_->setHidden(!title());
    messageLabel_->setText(message_);
    messageLabel_->setHidden(!message_);

    for (auto& button : buttons_) button->removeFromSuperview();
    for (auto& line : separators_) line->removeFromSuperview();
    buttons_.clear();
    separators_.clear();
    auto self = std::static_pointer_cast<AlertController>(weak_from_this().lock());
    for (auto& action : actions_) {
        auto button = std::make_shared<Button>(ButtonType::system);
        button->titleLabel()->setFont(graphics::FontRegistry::shared().defaultFont(kTitleSize));
        button->setTitle(action->title());
        if (action->style() == AlertActionStyle::destructive) button->setTitleColor(Color::rgba(1, 59.0 / 255, 48.0 / 255));
        button->setEnabled(action->isEnabled());
        if (self) button->addTarget(self, &AlertController::buttonTapped, ControlEvents::touchUpInside);
        auto line = std::make_shared<View>();
        line->setBackgroundColor(Color::black().withAlpha(0.2));
        line->setUserInteractionEnabled(false);
        box_->addSubview(button);
        box_->addSubview(line);
        buttons_.push_back(button);
        separators_.push_back(line);
    }
    root->setNeedsLayout();
    root->setNeedsDisplay();
}

void AlertController::layoutAlert() {
    auto root = viewIfLoaded();
    if (!root || !box_) return;
    const Rect screen = root->bounds();
    const bool sheet = style_ == AlertControllerStyle::actionSheet;
    const double width = sheet ? std::max(0.0, screen.width() - 2 * kSheetMargin) : kAlertWidth;
    const double inner = std::max(0.0, width - 2 * kPadding);

    double y = 0;
    for (const auto& label : {titleLabel_, messageLabel_}) {
        if (label->isHidden()) continue;
        y += y == 0 ? kPadding : 4;
        const Size size = label->sizeThatFits({inner, 0});
        label->setFrame({kPadding, y, inner, size.height});
        y += size.height;
    }
    if (y > 0) y += kPadding;

    // Two buttons of an alert sit side by side; otherwise one per row.
    const bool sideBySide = !sheet && buttons_.size() == 2;
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        if (sideBySide) {
            const double half = width / 2;
            buttons_[i]->setFrame({half * static_cast<double>(i), y, half, kButtonHeight});
            separators_[i]->setFrame(i == 0 ? Rect{0, y, width, kHairline} : Rect{half, y, kHairline, kButtonHeight});
        } else {
            buttons_[i]->setFrame({0, y, width, kButtonHeight});
            separators_[i]->setFrame({0, y, width, kHairline});
            y += kButtonHeight;
        }
    }
    if (sideBySide) y += kButtonHeight;

    const double x = (screen.width() - width) / 2;
    const double top = sheet ? screen.maxY() - kSheetMargin - y : screen.midY() - y / 2;
    box_->setFrame({x, top, width, y});
}

}  // namespace platform::ui
