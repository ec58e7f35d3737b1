#include <memory>

#include "vistrel/platform/foundation/control_characters.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/screens/actions/presenting_screen.hpp"
#include "vistrel/screens/actions/vistrel_tools.hpp"

namespace vistrel::VistrelTools {

using platform::services::MailComposeViewController;
using platform::services::MessageComposeViewController;

namespace {

// A recipient holding a control character is no address: a line break in it would
// write a header of its own, a NUL cut it short. Such a launch is refused, as an
// address of a refused scheme is, with a log line.
bool refusesRecipients(const std::vector<std::string>& recipients) {
    for (const std::string& recipient : recipients) {
        if (!platform::holdsControlCharacter(recipient)) continue;
        platform::log(std::string("Vistrel :: refused a recipient holding a control character: ")
                          .append(platform::excerptOnOneLine(recipient)));
        return true;
    }
    return false;
}

}  // namespace

void sendSMS(const Target& target, const std::string& phoneNumber, const std::string& message) {
    if (refusesRecipients({phoneNumber})) return;
    if (!MessageComposeViewController::canSendText()) {
        instance()->launchPopup(target, "Could Not Send Sms",
                                "Your device could not send sms.  Please check sms configuration and try again.",
                                platform::ui::AlertActionStyle::cancel);
        return;
    }
    presentOverTarget(
        target,
        [phoneNumber, message] {
            auto composer = std::make_shared<MessageComposeViewController>();
            composer->setBody(message);
            composer->setRecipients({phoneNumber});
            composer->setMessageComposeDelegate(instance());
            return composer;
        },
        "the message composer");
}

void sendEmail(const Target& target, const std::vector<std::string>& emails, const std::string& subject,
               const std::string& message) {
    if (refusesRecipients(emails)) return;
    if (!MailComposeViewController::canSendMail()) {
        instance()->launchPopup(target, "Could Not Send Email",
                                "Your device could not send e-mail.  Please check e-mail configuration and try again.",
                                platform::ui::AlertActionStyle::cancel);
        return;
    }
    presentOverTarget(
        target,
        [emails, subject, message] {
            auto composer = std::make_shared<MailComposeViewController>();
            composer->setMailComposeDelegate(instance());
            composer->setToRecipients(emails);
            composer->setSubject(subject);
            composer->setMessageBody(message, false);
            return composer;
        },
        "the mail composer");
}

}  // namespace vistrel::VistrelTools
