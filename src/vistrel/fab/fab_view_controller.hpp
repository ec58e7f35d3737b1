#pragma once
// The root screen of the global floating button's window: it holds the button, which
// places itself in a bottom corner of the screen's view.
#include <memory>

#include "vistrel/fab/fab.hpp"
#include "vistrel/platform/ui/view_controller.hpp"

namespace vistrel {

class FabViewController : public platform::ui::ViewController {
public:
    const std::shared_ptr<Fab> fab = std::make_shared<Fab>();
    platform::ui::StatusBarStyle statusBarStyle = platform::ui::StatusBarStyle::defaultStyle;

    void viewDidLoad() override;
    platform::ui::StatusBarStyle preferredStatusBarStyle() const override { return statusBarStyle; }
};

}  // namespace vistrel
