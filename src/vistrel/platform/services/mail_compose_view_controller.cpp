#include "vistrel/platform/services/mail_compose_view_controller.hpp"

#include <atomic>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/control_characters.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/services/compose_text.hpp"

namespace platform::services {

namespace {
std::atomic<bool> canSend{true};
}

MailComposeViewController::MailComposeViewController() : ServiceScreen("New Message", "Cancel", "Send") {}

bool MailComposeViewController::canSendMail() { return canSend.load(); }
void MailComposeViewController::setCanSendMail(bool value) { canSend.store(value); }

void MailComposeViewController::setToRecipients(std::vector<std::string> recipients) {
    to_ = recipientsWithoutControlCharacters(std::move(recipients), "MailComposeViewController");
    refresh();
}

void MailComposeViewController::setSubject(std::string subject) {
    subject_ = withoutControlCharacters(subject);
    refresh();
}

void MailComposeViewController::setMessageBody(std::string body, bool isHTML) {
    body_ = withoutControlCharacters(body, LineBreaks::kept);
    isHTML_ = isHTML;
    refresh();
}

bool MailComposeViewController::finish(MailComposeResult result, std::optional<Error> error) {
    if (result != MailComposeResult::failed) error.reset();
    return finishOnce("MailComposeViewController", [&] {
        result_ = result;
        log(concatenate("MailComposeViewController :: ", rawValue(result)));
        auto delegate = delegate_.lock();
        if (delegate) delegate->mailComposeController(*this, result, error);
        return delegate != nullptr;
    });
}

std::string MailComposeViewController::summary() const {
    return concatenate("mail to ", joinedRecipients(to_), "; subject \"", subject_, "\"; ",
                       isHTML_ ? "HTML" : "plain", " body \"", body_, "\"");
}

std::vector<ServiceScreen::Row> MailComposeViewController::rows() const {
    return {{"To:", joinedRecipients(to_), std::nullopt},
            {"Subject:", subject_, std::nullopt},
            {isHTML_ ? "Body (HTML):" : "Body:", body_, std::nullopt}};
}

}  // namespace platform::services
