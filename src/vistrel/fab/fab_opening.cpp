// Opening, closing and toggling: the turning plus sign, the overlay behind the menu,
// the item animations, and the delegate calls in their fixed order. Each opening and
// closing counts its animations with a group of its own.
#include <numbers>

#include "vistrel/fab/fab.hpp"
#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/ui/animation.hpp"

namespace vistrel {

namespace ui = platform::ui;
namespace dispatch = platform::dispatch;

namespace {

double degreesToRadians(double degrees) { return degrees / 180 * std::numbers::pi; }

}  // namespace

void Fab::open() {
    auto self = strongSelf();  // animations and the group hold the button until they end
    send(&FabDelegate::fabWillOpen);
    dispatch::Group group;
    if (!items_.empty()) {
        setOverlayView();
        if (auto parent = superview()) {
            parent->insertSubviewAbove(overlayView_, this);
            parent->bringSubviewToFront(this);
        }
        if (self) overlayView_->addTarget(self, &Fab::close, ui::ControlEvents::touchUpInside);
        overlayViewDidCompleteOpenAnimation_ = false;
        group.enter();
        const double angle = degreesToRadians(rotationDegrees);
        ui::animate(
            0.3, 0, 0.55, 0.3, ui::AnimationOptions::none,
            [this, angle] {
                plusLayer_->setTransform(ui::AffineTransform::rotation(angle));
                buttonImageView_->setTransform(ui::AffineTransform::rotation(angle));
                overlayView_->setAlpha(1);
            },
            [self, group](bool) {
                if (self) self->overlayViewDidCompleteOpenAnimation_ = true;
                group.leave();
            });
        animateItems(true, group);
    }
    group.notify(dispatch::main(), [self] {
        if (self) self->send(&FabDelegate::fabDidOpen);
    });
    send(&FabDelegate::fabOpened);
    closed_ = false;
}

void Fab::close() {
    auto self = strongSelf();
    send(&FabDelegate::fabWillClose);
    dispatch::Group group;
    if (!items_.empty()) {
        overlayView_->removeTarget(this, &Fab::close, ui::ControlEvents::touchUpInside);
        group.enter();
        ui::animate(
            0.3, 0, 0.6, 0.8, ui::AnimationOptions::none,
            [this] {
                plusLayer_->setTransform(ui::AffineTransform::rotation(degreesToRadians(0)));
                buttonImageView_->setTransform(ui::AffineTransform::rotation(degreesToRadians(0)));
                overlayView_->setAlpha(0);
            },
            [self, group](bool) {
                if (self && self->overlayViewDidCompleteOpenAnimation_) self->overlayView_->removeFromSuperview();
                group.leave();
            });
        animateItems(false, group);
    }
    group.notify(dispatch::main(), [self] {
        if (self) self->send(&FabDelegate::fabDidClose);
    });
    send(&FabDelegate::fabClosed);
    closed_ = true;
}

void Fab::toggle() {
    if (items_.empty()) {
        send(&FabDelegate::emptyFabSelected);
        return;
    }
    if (closed_)
        open();
    else
        close();
}

}  // namespace vistrel
