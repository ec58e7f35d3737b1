#pragma once
// Alerts with buttons, for the kit's screens. A screen conforms by deriving from
// AlertController, which asks nothing of it; the three showAlert forms work when the
// conformer is a view controller (for any other type they show nothing).
//
// The alert is presented, animated, from the top of the presentations of the window that
// holds the calling screen's view: starting at the window's root controller and following
// what each presents. (When the host presents the kit's screens modally, the root is
// already presenting; an alert presented from it would be refused and lost.) A screen in
// no window, or in a window without a root controller, shows nothing, silently.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform::ui {
class AlertAction;
}

namespace vistrel {

class AlertController {
public:
    // An empty function is no handler: the button only closes the alert.
    using Handler = std::function<void(platform::ui::AlertAction& action)>;

    virtual ~AlertController() = default;

    // One default-style button per title, in order, each with the handler at the same
    // position; titles beyond the handlers get none, surplus handlers are ignored.
    void showAlert(const std::string& title, const std::string& message,
                   const std::vector<std::optional<std::string>>& actionTitles, const std::vector<Handler>& actions);
    // Two buttons: the destructive one first, then the default one.
    void showAlert(const std::string& title, const std::string& message, const std::string& defaultTitle,
                   const std::string& destructiveTitle, Handler defaultAction, Handler destructiveAction);
    // One default-style button.
    void showAlert(const std::string& title, const std::string& message, const std::string& defaultTitle,
                   Handler defaultAction);

protected:
    AlertController() = default;
    AlertController(const AlertController&) = default;
    AlertController& operator=(const AlertController&) = default;
};

}  // namespace vistrel
