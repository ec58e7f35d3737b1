#include "vistrel/platform/services/message_compose_view_controller.hpp"

#include <atomic>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/control_characters.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/services/compose_text.hpp"

namespace platform::services {

namespace {
std::atomic<bool> canSend{true};
}

MessageComposeViewController::MessageComposeViewController() : ServiceScreen("New Message", "Cancel", "Send") {}

bool MessageComposeViewController::canSendText() { return canSend.load(); }
void MessageComposeViewController::setCanSendText(bool value) { canSend.store(value); }

void MessageComposeViewController::setRecipients(std::vector<std::string> recipients) {
    recipients_ = recipientsWithoutControlCharacters(std::move(recipients), "MessageComposeViewController");
    refresh();
}

void MessageComposeViewController::setBody(std::string body) {
    body_ = withoutControlCharacters(body, LineBreaks::kept);
    refresh();
}

bool MessageComposeViewController::finish(MessageComposeResult result) {
    return finishOnce("MessageComposeViewController", [&] {
        result_ = result;
        log(concatenate("MessageComposeViewController :: ", rawValue(result)));
        auto delegate = delegate_.lock();
        if (delegate) delegate->messageComposeViewController(*this, result);
        return delegate != nullptr;
    });
}

std::string MessageComposeViewController::summary() const {
    return concatenate("message to ", joinedRecipients(recipients_), "; body \"", body_, "\"");
}

std::vector<ServiceScreen::Row> MessageComposeViewController::rows() const {
    return {{"To:", joinedRecipients(recipients_), std::nullopt}, {"Message:", body_, std::nullopt}};
}

}  // namespace platform::services
