#include "vistrel/fab/fab_manager.hpp"

#include "vistrel/fab/fab_view_controller.hpp"
#include "vistrel/fab/fab_window.hpp"
#include "vistrel/platform/ui/animation.hpp"
#include "vistrel/platform/ui/screen.hpp"

namespace vistrel {

namespace ui = platform::ui;

FabManager& FabManager::defaultInstance() {
    // Made once, thread-safely, and deliberately never destroyed.
    static FabManager* const instance = new FabManager();
    return *instance;
}

const std::shared_ptr<FabWindow>& FabManager::fabWindow() {
    if (!fabWindow_) {
        fabWindow_ = std::make_shared<FabWindow>(ui::Screen::main().bounds());
        fabWindow_->setRootViewController(fabController());
    }
    return fabWindow_;
}

const std::shared_ptr<FabViewController>& FabManager::fabController() {
    if (!fabController_) fabController_ = std::make_shared<FabViewController>();
    return fabController_;
}

std::shared_ptr<Fab> FabManager::button() { return fabController()->fab; }

void FabManager::show(bool animated) {
    ++visibilityChanges_;
    auto window = fabWindow();
    window->setHidden(false);
    if (!animated) {
        window->setAlpha(1);  // shown means visible, whatever an earlier fade left
        return;
    }
    ui::animate(0.3, [window] { window->setAlpha(1); });
}

void FabManager::hide(bool animated) {
    const auto change = ++visibilityChanges_;
    auto window = fabWindow();
    if (!animated) {
        window->setHidden(true);
        return;
    }
    ui::animate(0.3, [window] { window->setAlpha(0); },
                [this, window, change](bool) {
                    // A show after this hide wins.
                    if (change == visibilityChanges_) window->setHidden(true);
                });
}

void FabManager::toggle(bool animated) {
    if (fabWindow()->isHidden())
        show(animated);
    else
        hide(animated);
}

bool FabManager::hidden() { return fabWindow()->isHidden(); }

}  // namespace vistrel
