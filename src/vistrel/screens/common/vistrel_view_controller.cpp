#include "vistrel/screens/common/vistrel_view_controller.hpp"

#include "vistrel/core/on_main_queue.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/bar_button_item.hpp"
#include "vistrel/platform/ui/image_view.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/screens/common/glint_gif.hpp"

namespace vistrel {

using platform::ui::AlertControllerStyle;
using platform::ui::Timer;

std::shared_ptr<VistrelViewController> VistrelViewController::self() {
    return std::static_pointer_cast<VistrelViewController>(shared_from_this());
}

void VistrelViewController::viewWillAppear(bool animated) {
    platform::ui::ViewController::viewWillAppear(animated);
    if (auto navigation = navigationController()) navigation->setNavigationBarHidden(hideNavigationBar, true);
    if (hideBackButtonText) {
        navigationItem().setBackBarButtonItem(
            std::make_shared<platform::ui::BarButtonItem>(std::string(), platform::ui::BarButtonItemStyle::plain));
    }
}

void VistrelViewController::dismiss() { dismiss(Completion()); }

void VistrelViewController::dismiss(Completion completion) {
    runOnMainQueue([screen = self(), completion = std::move(completion)] {
        auto navigation = screen->navigationController();
        if (!navigation) {
            screen->platform::ui::ViewController::dismiss(true, completion);
        } else if (navigation->viewControllers().size() == 1) {
            navigation->platform::ui::ViewController::dismiss(true, completion);
        } else {
            navigation->popViewController(true);
            if (completion) completion();
        }
    });
}

void VistrelViewController::showLoadingView() {
    runOnMainQueue([screen = self()] {
        std::optional<platform::graphics::Image> spinner;
        if (auto bundle = vistrelBundle())
            spinner = GlintGif::gifNamed("spinner", bundle.get());
        else
            platform::log("Vistrel :: the kit's bundle was not found; the loading view shows no spinner");
        auto indicator =
            std::make_shared<platform::ui::ImageView>(platform::ui::Rect{0, 0, loadingViewSide, loadingViewSide});
        indicator->setImage(std::move(spinner));
        auto view = screen->view();
        const auto bounds = view->bounds();
        indicator->setCenter({bounds.width() / 2, bounds.height() / 2});
        indicator->setTag(loadingViewTag);
        view->addSubview(indicator);
    });
}

void VistrelViewController::hideLoadingView() {
    runOnMainQueue([screen = self()] {
        if (auto indicator = screen->view()->viewWithTag(loadingViewTag)) indicator->removeFromSuperview();
    });
}

void VistrelViewController::showAlertMsg(const std::string& title, const std::string& message, double time) {
    runOnMainQueue([screen = self(), title, message, time] { screen->presentTimedAlert(title, message, time); });
}

void VistrelViewController::presentTimedAlert(const std::string& title, const std::string& message, double time) {
    if (alertController_) {
        platform::log("Alert already displayed");
        return;
    }
    baseMessage_ = message;
    remainingTime_ = time;
    alertController_ =
        std::make_shared<platform::ui::AlertController>(title, baseMessage_, AlertControllerStyle::alert);
    // The timer holds the screen until it is invalidated, at the last tick.
    alertTimer_ = Timer::scheduledTimer(countDownInterval, true, [screen = self()](Timer&) { screen->countDown(); });
    auto alert = alertController_;
    present(alert, true);
    if (!alert->presentingViewController()) {
        // Refused: no countdown for an alert nobody sees, and nothing left to refuse
        // the next request with.
        platform::log("Vistrel :: the timed alert could not be presented");
        if (alertTimer_) alertTimer_->invalidate();
        alertTimer_.reset();
        alertController_.reset();
    }
}

void VistrelViewController::countDown() {
    remainingTime_ = remainingTime_ - countDownInterval;
    if (remainingTime_ > 0) {
        if (alertController_) alertController_->setMessage(alertMessage());
        return;
    }
    closeTimedAlert();
}

void VistrelViewController::closeTimedAlert() {
    if (alertTimer_) alertTimer_->invalidate();
    alertTimer_.reset();
    if (!alertController_) return;
    alertController_->platform::ui::ViewController::dismiss(true,
                                                            [screen = self()] { screen->alertController_.reset(); });
}

std::string VistrelViewController::alertMessage() const {
    if (!baseMessage_) return {};
    std::string text = *baseMessage_;
    text += ' ';
    return text;
}

}  // namespace vistrel
