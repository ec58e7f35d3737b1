#pragma once
// The text page of a text action: a white page with the text in one label, under a bar
// in the theme's colours with a Done button that closes the page. A text longer than a
// page may show (display_limits::clampText) shows its start, ended with a mark that it
// goes on.
#include <memory>
#include <optional>
#include <string>

#include "vistrel/platform/ui/label.hpp"
#include "vistrel/platform/ui/view_controller.hpp"

namespace vistrel {

class ActionTextViewController : public platform::ui::ViewController {
public:
    // Margins of the text on the page, in points.
    static constexpr double textMargin = 16;

    // The screen "ActionTextViewController" of storyboard "Actions" in the kit's bundle;
    // when the bundle, the storyboard or the scene is missing, a log line and the screen
    // built without it.
    static std::shared_ptr<ActionTextViewController> instance();

    // Set by the caller before the view loads; read once, when it loads.
    std::optional<std::string> text;

    std::shared_ptr<platform::ui::Label> actionTextLabel() const { return actionTextLabel_.lock(); }

    void loadView() override;
    void viewDidLoad() override;
    platform::ui::InterfaceOrientationMask supportedInterfaceOrientations() const override {
        return platform::ui::InterfaceOrientationMask::portrait;
    }

    // The Done button's action: closes the page (and the navigation controller it is the
    // root of), animated.
    void dismissActionText();

private:
    std::weak_ptr<platform::ui::Label> actionTextLabel_;
};

}  // namespace vistrel
