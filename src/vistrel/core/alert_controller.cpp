#include "vistrel/core/alert_controller.hpp"

#include <memory>

#include "vistrel/platform/ui/alert_controller.hpp"
#include "vistrel/platform/ui/window.hpp"

namespace vistrel {

namespace {

using platform::ui::AlertAction;
using platform::ui::AlertActionStyle;
using platform::ui::AlertControllerStyle;

void present(AlertController& conformer, const std::shared_ptr<platform::ui::AlertController>& alert) {
    auto* screen = dynamic_cast<platform::ui::ViewController*>(&conformer);
    if (!screen) return;
    auto view = screen->viewIfLoaded();
    auto window = view ? view->window() : nullptr;
    auto presenter = window ? window->rootViewController() : nullptr;
    if (!presenter) return;
    // The top-most presentation that stays on screen (one being dismissed is on its way out).
    while (auto next = presenter->presentedViewController()) {
        if (next->isBeingDismissed()) break;
        presenter = std::move(next);
    }
    presenter->present(alert, true);
}

std::shared_ptr<platform::ui::AlertController> makeAlert(const std::string& title, const std::string& message) {
    return std::make_shared<platform::ui::AlertController>(title, message, AlertControllerStyle::alert);
}

}  // namespace

void AlertController::showAlert(const std::string& title, const std::string& message,
                                const std::vector<std::optional<std::string>>& actionTitles,
                                const std::vector<Handler>& actions) {
    auto alert = makeAlert(title, message);
    for (std::size_t i = 0; i < actionTitles.size(); ++i) {
        Handler handler = i < actions.size() ? actions[i] : Handler{};
        alert->addAction(std::make_shared<AlertAction>(actionTitles[i], AlertActionStyle::defaultStyle, std::move(handler)));
    }
    present(*this, alert);
}

void AlertController::showAlert(const std::string& title, const std::string& message, const std::string& defaultTitle,
                                const std::string& destructiveTitle, Handler defaultAction,
                                Handler destructiveAction) {
    auto alert = makeAlert(title, message);
    alert->addAction(
        std::make_shared<AlertAction>(destructiveTitle, AlertActionStyle::destructive, std::move(destructiveAction)));
    alert->addAction(std::make_shared<AlertAction>(defaultTitle, AlertActionStyle::defaultStyle, std::move(defaultAction)));
    present(*this, alert);
}

void AlertController::showAlert(const std::string& title, const std::string& message, const std::string& defaultTitle,
                                Handler defaultAction) {
    auto alert = makeAlert(title, message);
    alert->addAction(std::make_shared<AlertAction>(defaultTitle, AlertActionStyle::defaultStyle, std::move(defaultAction)));
    present(*this, alert);
}

}  // namespace vistrel
