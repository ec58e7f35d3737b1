#pragma once
// An alert: a title, a message and a row of buttons, in a box in the middle of the
// screen (alert) or at its bottom (action sheet). It is presented over full screen, so
// the screen beneath stays in place. A tap on a button (or tapAction) dismisses the
// alert, animated, and then runs the action's handler: the handler runs when the
// dismissal ends, that is from the main queue.
#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vistrel/platform/ui/alert_action.hpp"
#include "vistrel/platform/ui/popover_anchor.hpp"
#include "vistrel/platform/ui/view_controller.hpp"

namespace platform::ui {

class Button;
class Label;

enum class AlertControllerStyle { actionSheet = 0, alert = 1 };

class AlertController : public ViewController {
public:
    AlertController(std::optional<std::string> title, std::optional<std::string> message,
                    AlertControllerStyle preferredStyle);

    // May change while the alert is shown.
    const std::optional<std::string>& message() const { return message_; }
    void setMessage(std::optional<std::string> message);
    AlertControllerStyle preferredStyle() const { return style_; }
    // Where an action sheet points when shown as a popover.
    const std::optional<PopoverAnchor>& popoverAnchor() const { return popoverAnchor_; }
    void setPopoverAnchor(PopoverAnchor anchor) { popoverAnchor_ = std::move(anchor); }

    // The buttons, in the order they were added.
    const std::vector<std::shared_ptr<AlertAction>>& actions() const { return actions_; }
    void addAction(std::shared_ptr<AlertAction> action);

    // What a tap on an action's button does: the alert is dismissed (animated) and, when
    // the dismissal ends, the handler runs. False, with a log line, when the alert is not
    // shown, is already closing, or the action is out of range or disabled.
    bool tapAction(std::size_t index);
    // The first action with that title.
    bool tapAction(std::string_view title);

    // The parts of the shown alert, after layout.
    const std::shared_ptr<View>& box() const { return box_; }
    const std::shared_ptr<Label>& titleLabel() const { return titleLabel_; }
    const std::shared_ptr<Label>& messageLabel() const { return messageLabel_; }
    const std::vector<std::shared_ptr<Button>>& buttons() const { return buttons_; }

    void loadView() override;
    void viewWillAppear(bool animated) override;

private:
    void rebuild();
    void layoutAlert();
    void buttonTapped(Button& button);

    std::optional<std::string> message_;
    AlertControllerStyle style_;
    std::optional<PopoverAnchor> popoverAnchor_;
    std::vector<std::shared_ptr<AlertAction>> actions_;
    bool closing_ = false;

    std::shared_ptr<View> box_;
    std::shared_ptr<Label> titleLabel_;
    std::shared_ptr<Label> messageLabel_;
    std::vector<std::shared_ptr<Button>> buttons_;
    std::vector<std::shared_ptr<View>> separators_;
};

}  // namespace platform::ui
