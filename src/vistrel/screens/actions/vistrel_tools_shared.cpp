#include <string>

#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/alert_controller.hpp"
#include "vistrel/screens/actions/presenting_screen.hpp"
#include "vistrel/screens/actions/vistrel_tools.hpp"

namespace vistrel::VistrelTools {

const std::shared_ptr<Shared>& instance() {
    // A function-local static is made once even when two threads ask first together.
    static const auto shared = std::make_shared<Shared>();
    return shared;
}

void Shared::addContact(platform::services::ContactSaveRequest& data) const {
    if (auto error = platform::services::ContactStore(contactsFolder()).execute(data))
        platform::log(std::string("Failed to save the contact. ").append(error->description()));
}

void Shared::launchPopup(const Target& target, const std::string& title, const std::string& message,
                         platform::ui::AlertActionStyle okStyle) const {
    presentOverTarget(
        target,
        [title, message, okStyle] {
            auto alert =
                std::make_shared<platform::ui::AlertController>(title, message, platform::ui::AlertControllerStyle::alert);
            alert->addAction(
                std::make_shared<platform::ui::AlertAction>(tr("general.ok"), okStyle));
            return alert;
        },
        "the alert");
}

void Shared::mailComposeController(platform::services::MailComposeViewController& controller,
                                   platform::services::MailComposeResult, const std::optional<platform::Error>&) {
    controller.dismiss(true);
}

void Shared::messageComposeViewController(platform::services::MessageComposeViewController& controller,
                                          platform::services::MessageComposeResult) {
    controller.dismiss(true);
}

void Shared::eventEditViewController(platform::services::EventEditViewController& controller,
                                     platform::services::EventEditViewAction) {
    controller.dismiss(true);
}

void Shared::contactViewController(platform::services::ContactViewController& controller,
                                   const std::optional<platform::services::Contact>&) {
    // The screen sits in the navigation controller the contact launcher presented; asked
    // of the screen, the dismissal closes that navigation controller.
    controller.dismiss(true);
}

}  // namespace vistrel::VistrelTools
