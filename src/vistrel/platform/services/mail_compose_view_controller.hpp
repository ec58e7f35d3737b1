#pragma once
// The mail composer: recipients, subject and body (plain text or HTML) that the caller
// fills in, shown as a screen of those fields with Cancel and Send. Whether this device
// can send mail is a process-wide switch the host sets (yes until it says otherwise).
// When the user leaves the composer its delegate (held weakly) is told how, and closes it;
// finish() stands in for the user in tests and the demo. Texts from outside are kept to
// what the fields may hold (compose_text.hpp): a recipient holding a control character
// is dropped with a log line, the subject loses its control characters, and the body
// keeps tabs and line breaks but no other control character (DEL and C1 included). Main
// thread only.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vistrel/platform/foundation/error.hpp"
#include "vistrel/platform/services/compose_result.hpp"
#include "vistrel/platform/services/service_screen.hpp"

namespace platform::services {

class MailComposeViewController;

class MailComposeDelegate {
public:
    virtual ~MailComposeDelegate() = default;
    virtual void mailComposeController(MailComposeViewController& controller, MailComposeResult result,
                                       const std::optional<Error>& error) = 0;
};

class MailComposeViewController : public ServiceScreen {
public:
    MailComposeViewController();

    // The switch the host sets; safe from any thread.
    static bool canSendMail();
    static void setCanSendMail(bool canSend);

    std::weak_ptr<MailComposeDelegate> mailComposeDelegate() const { return delegate_; }
    void setMailComposeDelegate(std::weak_ptr<MailComposeDelegate> delegate) { delegate_ = std::move(delegate); }

    const std::vector<std::string>& toRecipients() const { return to_; }
    void setToRecipients(std::vector<std::string> recipients);
    const std::string& subject() const { return subject_; }
    void setSubject(std::string subject);
    const std::string& messageBody() const { return body_; }
    bool isBodyHTML() const { return isHTML_; }
    void setMessageBody(std::string body, bool isHTML);

    // The user leaves the composer: the delegate is told (on this thread); without one the
    // composer closes itself. False, with a log line, when it is not shown or has already
    // finished. An error goes with `failed` only.
    bool finish(MailComposeResult result, std::optional<Error> error = std::nullopt);
    // How it finished, once it has.
    std::optional<MailComposeResult> result() const { return result_; }

    // One line for logs and the demo: recipients, subject, body.
    std::string summary() const override;

protected:
    std::vector<Row> rows() const override;
    void leftTapped() override { finish(MailComposeResult::cancelled); }
    void rightTapped() override { finish(MailComposeResult::sent); }

private:
    std::weak_ptr<MailComposeDelegate> delegate_;
    std::vector<std::string> to_;
    std::string subject_;
    std::string body_;
    bool isHTML_ = false;
    std::optional<MailComposeResult> result_;
};

}  // namespace platform::services
