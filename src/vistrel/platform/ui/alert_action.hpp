#pragma once
// One button of an alert: a title, a style and what a tap on it does.
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace platform::ui {

enum class AlertActionStyle { defaultStyle = 0, cancel = 1, destructive = 2 };

class AlertAction {
public:
    using Handler = std::function<void(AlertAction& action)>;

    AlertAction(std::optional<std::string> title, AlertActionStyle style, Handler handler = {})
        : title_(std::move(title)), style_(style), handler_(std::move(handler)) {}

    const std::optional<std::string>& title() const { return title_; }
    AlertActionStyle style() const { return style_; }
    // None: the button only closes the alert.
    const Handler& handler() const { return handler_; }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }

private:
    std::optional<std::string> title_;
    AlertActionStyle style_;
    Handler handler_;
    bool enabled_ = true;
};

}  // namespace platform::ui
