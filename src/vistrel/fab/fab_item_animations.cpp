// The six ways items come and go. Openings stack the visible items upward from the
// button (downward for slideDown), each (its size + itemSpace) above the last; closings
// take the items last to first. Hidden items take no place and do not animate.
#include <algorithm>
#include <functional>

#include "vistrel/fab/fab.hpp"
#include "vistrel/platform/ui/animation.hpp"
#include "vistrel/platform/ui/screen.hpp"

namespace vistrel {

namespace ui = platform::ui;

namespace {

void setX(ui::View& view, double x) {
    auto f = view.frame();
    f.origin.x = x;
    view.setFrame(f);
}

void setY(ui::View& view, double y) {
    auto f = view.frame();
    f.origin.y = y;
    view.setFrame(f);
}

// How one item moves in one direction.
struct Motion {
    double duration = 0;   // 0: set at once, no animation
    bool spring = false;   // spring 0.55 / 0.3, else a plain animation
    double delayStep = 0;  // in units of animationSpeed; 0: every item starts at once
};

Motion motion(FabOpenAnimationType type, bool opening) {
    switch (type) {
        case FabOpenAnimationType::pop: return opening ? Motion{0.3, true, 1} : Motion{0.15, false, 1};
        case FabOpenAnimationType::fade: return {0.4, false, 2};
        case FabOpenAnimationType::slideLeft: return opening ? Motion{0.3, true, 1} : Motion{0.3, false, 1};
        case FabOpenAnimationType::slideUp:
        case FabOpenAnimationType::slideDown: return {0.2, false, 0};
        case FabOpenAnimationType::none: return {};
    }
    return {};
}

}  // namespace

void Fab::animateItems(bool opening, const platform::dispatch::Group& group) {
    const FabOpenAnimationType type = openAnimationType;
    const Motion m = motion(type, opening);
    auto items = attachedItems();
    if (!opening) std::reverse(items.begin(), items.end());
    const double screenWidth = ui::Screen::main().bounds().width();
    const auto popScale = ui::AffineTransform::scale(0.4, 0.4);
    double h = 0;
    double d = 0;
    for (const auto& item : items) {
        if (item->isHidden()) continue;
        FabItem& it = *item;
        const double offscreenX = screenWidth - frame().origin.x;
        std::function<void()> change;
        if (opening) {
            h += it.size() + itemSpace;
            // Every opening starts from the identity, whatever the last closing left.
            it.setTransform(ui::AffineTransform::identity());
            switch (type) {
                case FabOpenAnimationType::pop:
                    setX(it, std::max(size_, it.size()) / 2 - std::min(size_, it.size()) / 2);
                    setY(it, -h);
                    it.setTransform(popScale);
                    change = [&it] {
                        it.setTransform(ui::AffineTransform::identity());
                        it.setAlpha(1);
                    };
                    break;
                case FabOpenAnimationType::fade:
                    setY(it, -h);
                    change = [&it] { it.setAlpha(1); };
                    break;
                case FabOpenAnimationType::slideLeft: {
                    setX(it, offscreenX);
                    setY(it, -h);
                    const double x = size_ / 2 - itemSize_ / 2;
                    change = [&it, x] {
                        setX(it, x);
                        it.setAlpha(1);
                    };
                    break;
                }
                case FabOpenAnimationType::slideDown:
                    change = [&it, h] {
                        setY(it, h);
                        it.setAlpha(1);
                    };
                    break;
                case FabOpenAnimationType::slideUp:
                case FabOpenAnimationType::none:
                    change = [&it, h] {
                        setY(it, -h);
                        it.setAlpha(1);
                    };
                    break;
            }
        } else {
            switch (type) {
                case FabOpenAnimationType::pop:
                    change = [&it, popScale] {
                        it.setTransform(popScale);
                        it.setAlpha(0);
                    };
                    break;
                case FabOpenAnimationType::fade: change = [&it] { it.setAlpha(0); }; break;
                case FabOpenAnimationType::slideLeft:
                    change = [&it, offscreenX] {
                        setX(it, offscreenX);
                        it.setAlpha(0);
                    };
                    break;
                case FabOpenAnimationType::slideUp:
                case FabOpenAnimationType::slideDown:
                case FabOpenAnimationType::none:
                    change = [&it] {
                        setY(it, 0);
                        it.setAlpha(0);
                    };
                    break;
            }
        }
        if (type == FabOpenAnimationType::none) {
            change();
            continue;
        }
        group.enter();
        auto done = [item, group](bool) { group.leave(); };  // the item lives until its animation ends
        if (m.spring)
            ui::animate(m.duration, d, 0.55, 0.3, ui::AnimationOptions::none, change, done);
        else
            ui::animate(m.duration, d, ui::AnimationOptions::none, change, done);
        d += m.delayStep * animationSpeed;
    }
}

}  // namespace vistrel
