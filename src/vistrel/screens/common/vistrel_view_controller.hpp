#pragma once
// The base of the kit's full screens: navigation-bar and back-button settings applied
// each time the screen is about to show, a centred animated loading indicator, a timed
// alert that closes itself, closing by pop or modal dismissal as the screen's place
// requires, and portrait only. Subclasses set the flags and call the operations.
//
// Everything here touches screens, so it runs on the main thread: an operation asked for
// on another thread is posted to the main queue and runs there later.
#include <concepts>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "vistrel/core/alert_controller.hpp"
#include "vistrel/platform/ui/alert_controller.hpp"
#include "vistrel/platform/ui/timer.hpp"
#include "vistrel/platform/ui/view_controller.hpp"

namespace vistrel {

class VistrelViewController : public platform::ui::ViewController, public AlertController {
public:
    using Completion = platform::ui::ViewController::Completion;

    // Marks the loading indicator's image views.
    static constexpr int loadingViewTag = 1645;
    // The countdown's step, in seconds.
    static constexpr double countDownInterval = 0.1;
    // The side of the loading indicator, in points.
    static constexpr double loadingViewSide = 150;

    // Hide the navigation bar while this screen shows.
    bool hideNavigationBar = false;
    // The screens pushed above this one show a back button without text.
    bool hideBackButtonText = false;

    // The timed alert from its creation until its dismissal has completed; the running
    // countdown; the time left; the message of the latest timed alert.
    const std::shared_ptr<platform::ui::AlertController>& alertController() const { return alertController_; }
    const std::shared_ptr<platform::ui::Timer>& alertTimer() const { return alertTimer_; }
    double remainingTime() const { return remainingTime_; }
    const std::optional<std::string>& baseMessage() const { return baseMessage_; }

    // Applies the bar flags: the navigation bar is hidden or shown (animated) as this
    // screen asks, and the back button of the next screen loses its text.
    void viewWillAppear(bool animated) override;

    // Closes the screen: the only screen of a navigation controller closes the whole
    // navigation controller (the completion runs when that dismissal ends); a screen
    // higher in a stack is popped (the completion runs at once, as the pop starts); a
    // screen outside any navigation controller is dismissed.
    using platform::ui::ViewController::dismiss;
    void dismiss();
    void dismiss(Completion completion);
    template <class F>
    requires std::invocable<F&>
    void dismiss(F&& completion) { dismiss(Completion(std::forward<F>(completion))); }

    // Adds one more loading indicator (the kit's "spinner" animation, 150 x 150 points,
    // centred, above every other view); an empty one, with a log line, when the kit's
    // bundle or its animation is missing. hideLoadingView removes one.
    void showLoadingView();
    void hideLoadingView();

    // Shows an alert without buttons that closes itself once `time` seconds have passed
    // (counted down in steps of 0.1 s). Refused, with the line "Alert already displayed",
    // while another timed alert is up or closing. When the alert cannot be presented
    // (this screen is in no window, or already presents something), the screen is at
    // once ready for the next one.
    void showAlertMsg(const std::string& title, const std::string& message, double time);
    // One tick of the countdown (the timer's block).
    void countDown();
    // The text set at each tick while time remains: the message and a space.
    std::string alertMessage() const;

    platform::ui::InterfaceOrientationMask supportedInterfaceOrientations() const override {
        return platform::ui::InterfaceOrientationMask::portrait;
    }

private:
    std::shared_ptr<VistrelViewController> self();
    void presentTimedAlert(const std::string& title, const std::string& message, double time);
    void closeTimedAlert();

    std::shared_ptr<platform::ui::AlertController> alertController_;
    std::shared_ptr<platform::ui::Timer> alertTimer_;
    double remainingTime_ = 0;
    std::optional<std::string> baseMessage_;
};

}  // namespace vistrel
