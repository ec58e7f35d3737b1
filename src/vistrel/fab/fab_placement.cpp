// Placement in a bottom corner (left and mirrored in right-to-left mode), the items
// centred on the button, and the moves for the keyboard and the device's orientation.
#include <algorithm>
#include <utility>

#include "vistrel/fab/fab.hpp"
#include "vistrel/fab/fab_manager.hpp"
#include "vistrel/platform/ui/animation.hpp"
#include "vistrel/platform/ui/notification_center_names.hpp"
#include "vistrel/platform/ui/screen.hpp"

namespace vistrel {

namespace ui = platform::ui;

namespace {

// The height of the keyboard's frame at the start of its animation, if the
// notification carries one.
std::optional<double> keyboardHeight(const ui::Notification& notification) {
    const auto* frame = notification.userInfoValue<ui::Rect>(ui::keyboardFrameBeginUserInfoKey);
    if (!frame) return std::nullopt;
    return frame->height();
}

}  // namespace

Fab::Rect Fab::containerBounds() const {
    if (auto parent = superview()) return parent->bounds();
    return ui::Screen::main().bounds();
}

void Fab::setBottomFrameAccordingToRTL(double keyboardHeight) {
    if (FabManager::defaultInstance().rtlMode()) {
        setLeftBottomFrame(keyboardHeight);
        setTransform(ui::AffineTransform::scale(-1, 1));
    } else {
        setRightBottomFrame(keyboardHeight);
        setTransform(ui::AffineTransform::scale(1, 1));
    }
}

void Fab::setRightBottomFrame(double keyboardHeight) {
    setBottomFrame(containerBounds().width() - size_ - paddingX_, keyboardHeight);
}

void Fab::setLeftBottomFrame(double keyboardHeight) { setBottomFrame(0, keyboardHeight); }

// The button at x above the bottom edge (and the keyboard); a friendly tap area grows it
// by the padding, one side at a time, as each step is laid out.
void Fab::setBottomFrame(double x, double keyboardHeight) {
    Rect f{x, containerBounds().height() - size_ - keyboardHeight - paddingY_, size_, size_};
    setFrame(f);
    if (!friendlyTap) return;
    f.size.width += paddingX_;
    setFrame(f);
    f.size.height += paddingY_;
    setFrame(f);
}

void Fab::recalculateItemsOrigin() {
    for (const auto& item : items_) {
        const double big = std::max(size_, item->size());
        const double small = std::min(size_, item->size());
        Rect f = item->frame();
        f.origin = {(big - small) / 2, (big - small) / 2};
        item->setFrame(f);
    }
}

void Fab::setObserver() {
    auto& centre = ui::NotificationCenter::defaultCenter();
    // Block observers whose tokens the destructor removes, so no post reaches a
    // destroyed button; each call holds the button while it runs.
    auto route = [this](void (Fab::*handler)(const ui::Notification&)) {
        return [this, handler](const ui::Notification& n) {
            auto keep = weak_from_this().lock();
            (this->*handler)(n);
        };
    };
    notificationTokens_.push_back(centre.addObserver(std::string(ui::deviceOrientationDidChangeNotification),
                                                     nullptr, route(&Fab::deviceOrientationDidChange)));
    notificationTokens_.push_back(centre.addObserver(std::string(ui::keyboardWillShowNotification), nullptr,
                                                     route(&Fab::keyboardWillShow)));
    notificationTokens_.push_back(centre.addObserver(std::string(ui::keyboardWillHideNotification), nullptr,
                                                     route(&Fab::keyboardWillHide)));
}

void Fab::deviceOrientationDidChange(const ui::Notification& notification) {
    const auto height = keyboardHeight(notification);
    if (!height) return;
    setOverlayFrame();
    if (isCustomFrame_)
        deriveSizeFromFrame();
    else
        setBottomFrameAccordingToRTL(*height);
}

void Fab::keyboardWillShow(const ui::Notification& notification) {
    const auto height = keyboardHeight(notification);
    if (!height || !respondsToKeyboard || sticky) return;
    // Remembered once per keyboard: a second show while it is up keeps the first place.
    if (!beforeKeyboard_) beforeKeyboard_ = KeyboardReturn{frame(), transform()};
    if (isCustomFrame_)
        deriveSizeFromFrame();
    else
        setBottomFrameAccordingToRTL(*height);
    const Rect screen = ui::Screen::main().bounds();
    const bool rtl = FabManager::defaultInstance().rtlMode();
    // Above the keyboard, in the corner the layout direction puts the button in.
    const double x = rtl ? paddingX_ : screen.width() - size_ - paddingX_;
    const Rect target{x, screen.height() - size_ - *height - paddingY_, size_, size_};
    ui::animate(0.2, 0, ui::AnimationOptions::none, [this, target] { setFrame(target); });
}

void Fab::keyboardWillHide(const ui::Notification&) {
    if (!respondsToKeyboard || sticky) return;
    auto back = std::exchange(beforeKeyboard_, std::nullopt);
    ui::animate(0.2, 0, ui::AnimationOptions::none, [this, back] {
        if (!isCustomFrame_) {
            setBottomFrameAccordingToRTL(0);  // its corner, mirrored or not
            return;
        }
        if (back) {
            // Back where the keyboard found it.
            setTransform(back->transform);
            setFrame(back->frame);
        }
        deriveSizeFromFrame();
    });
}

}  // namespace vistrel
