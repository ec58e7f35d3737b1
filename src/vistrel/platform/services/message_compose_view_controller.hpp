#pragma once
// The text-message composer: recipients and a body that the caller fills in, shown as a
// screen of those fields with Cancel and Send. Whether this device can send text messages
// is a process-wide switch the host sets (yes until it says otherwise). When the user
// leaves the composer its delegate (held weakly) is told how, and closes it; finish()
// stands in for the user in tests and the demo. Texts from outside are kept to what the
// fields may hold (compose_text.hpp): a recipient holding a control character is dropped
// with a log line, and the body keeps tabs and line breaks but no other control
// character (DEL and C1 included). Main thread only.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vistrel/platform/services/compose_result.hpp"
#include "vistrel/platform/services/service_screen.hpp"

namespace platform::services {

class MessageComposeViewController;

class MessageComposeDelegate {
public:
    virtual ~MessageComposeDelegate() = default;
    virtual void messageComposeViewController(MessageComposeViewController& controller,
                                              MessageComposeResult result) = 0;
};

class MessageComposeViewController : public ServiceScreen {
public:
    MessageComposeViewController();

    // The switch the host sets; safe from any thread.
    static bool canSendText();
    static void setCanSendText(bool canSend);

    std::weak_ptr<MessageComposeDelegate> messageComposeDelegate() const { return delegate_; }
    void setMessageComposeDelegate(std::weak_ptr<MessageComposeDelegate> delegate) {
        delegate_ = std::move(delegate);
    }

    const std::vector<std::string>& recipients() const { return recipients_; }
    void setRecipients(std::vector<std::string> recipients);
    const std::string& body() const { return body_; }
    void setBody(std::string body);

    // The user leaves the composer: the delegate is told (on this thread); without one the
    // composer closes itself. False, with a log line, when it is not shown or has already
    // finished.
    bool finish(MessageComposeResult result);
    std::optional<MessageComposeResult> result() const { return result_; }

    // One line for logs and the demo: recipients and body.
    std::string summary() const override;

protected:
    std::vector<Row> rows() const override;
    void leftTapped() override { finish(MessageComposeResult::cancelled); }
    void rightTapped() override { finish(MessageComposeResult::sent); }

private:
    std::weak_ptr<MessageComposeDelegate> delegate_;
    std::vector<std::string> recipients_;
    std::string body_;
    std::optional<MessageComposeResult> result_;
};

}  // namespace platform::services
