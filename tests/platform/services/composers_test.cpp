#include <optional>
#include <string>
#include <vector>

#include "services_test_support.hpp"
#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/services/mail_compose_view_controller.hpp"
#include "vistrel/platform/services/message_compose_view_controller.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/touch_delivery.hpp"

using namespace servicestest;
using namespace platform::services;

namespace {

// Closes the composer it is told about, as the kit's delegate does, and notes the result.
struct ClosingDelegate : MailComposeDelegate, MessageComposeDelegate {
    std::vector<std::string> heard;
    void mailComposeController(MailComposeViewController& c, MailComposeResult r,
                               const std::optional<platform::Error>& e) override {
        heard.push_back(platform::concatenate(rawValue(r), e ? " " : "", e ? e->domain : ""));
        c.dismiss(true);
    }
    void messageComposeViewController(MessageComposeViewController& c, MessageComposeResult r) override {
        heard.push_back(std::string(rawValue(r)));
        c.dismiss(true);
    }
};

class ComposerTest : public PresentingTest {
protected:
    std::shared_ptr<ClosingDelegate> delegate = std::make_shared<ClosingDelegate>();

    std::shared_ptr<MailComposeViewController> mail() {
        auto c = std::make_shared<MailComposeViewController>();
        c->setMailComposeDelegate(delegate);
        c->setToRecipients({"ann@example.com", ""});
        c->setSubject("Hello");
        c->setMessageBody("Body & more", false);
        return presented(c);
    }
};

}  // namespace

TEST_F(ComposerTest, TheDelegateHearsEveryMailResultOnceAndClosesTheComposer) {
    const platform::Error failure{"MailDomain", 3, {}};
    const struct {
        MailComposeResult result;
        std::optional<platform::Error> error;
        std::string heard;
    } cases[] = {
        {MailComposeResult::cancelled, std::nullopt, "cancelled"},
        {MailComposeResult::saved, std::nullopt, "saved"},
        {MailComposeResult::sent, failure, "sent"},  // an error goes with a failure only
        {MailComposeResult::failed, failure, "failed MailDomain"},
    };
    for (const auto& c : cases) {
        auto composer = mail();
        platform::LogCapture log;
        EXPECT_TRUE(composer->finish(c.result, c.error));
        EXPECT_FALSE(composer->finish(MailComposeResult::sent));  // once only
        drain();
        EXPECT_EQ(delegate->heard, std::vector<std::string>{c.heard});
        EXPECT_EQ(composer->result(), c.result);
        EXPECT_EQ(root->presentedViewController(), nullptr);
        delegate->heard.clear();
    }
}

TEST_F(ComposerTest, TheBarButtonsCancelAndSendAndTheFieldsAreDrawn) {
    auto composer = mail();
    EXPECT_EQ(composer->summary(), "mail to ann@example.com, \"\"; subject \"Hello\"; plain body \"Body & more\"");
    auto bitmap = render(*window);
    ASSERT_TRUE(bitmap);
    // The page is white below the bar, the value text dark somewhere in its label.
    EXPECT_EQ(bitmap->pixel(2, 600), Color::white());

    platform::LogCapture log;
    ASSERT_EQ(composer->bar()->leftItemViews().size(), 1u);
    tap(window, centre(*composer->bar()->leftItemViews()[0]));
    drain();
    EXPECT_EQ(delegate->heard, std::vector<std::string>{"cancelled"});

    auto second = mail();
    tap(window, centre(*second->bar()->rightItemViews()[0]));
    drain();
    EXPECT_EQ(delegate->heard, (std::vector<std::string>{"cancelled", "sent"}));
}

TEST_F(ComposerTest, TheMessageComposerTellsItsDelegateOrWithoutOneClosesItself) {
    auto composer = std::make_shared<MessageComposeViewController>();
    composer->setRecipients({"+33 1 23"});
    composer->setBody("Hi");
    platform::LogCapture log;
    EXPECT_FALSE(composer->finish(MessageComposeResult::sent));  // never shown
    composer->setMessageComposeDelegate(delegate);
    EXPECT_TRUE(presented(composer)->finish(MessageComposeResult::failed));
    drain();
    EXPECT_EQ(delegate->heard, std::vector<std::string>{"failed"});

    auto orphan = std::make_shared<MessageComposeViewController>();
    orphan->setMessageComposeDelegate(std::make_shared<ClosingDelegate>());  // gone at once
    EXPECT_TRUE(presented(orphan)->finish(MessageComposeResult::sent));
    drain();
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_TRUE(log.contains("closes itself"));
}

// Texts from outside cannot forge lines in the composers' fields: a recipient holding a
// control character (C0, DEL, C1) is dropped with a log line, a subject loses them all,
// a body keeps tabs and line breaks only.
TEST_F(ComposerTest, FieldsKeepOnlyWhatTheyMayHold) {
    using namespace std::string_literals;
    const std::vector<std::string> recipients = {"ann@example.com", "a@b.c\r\nBcc: evil@x", "x\0y"s, "del\x7f",
                                                 "c1\xc2\x85", "caf\xc3\xa9@example.com"};
    platform::LogCapture log;
    MailComposeViewController mail;
    mail.setToRecipients(recipients);
    mail.setSubject("Hi\r\nBcc: x\0y\t\x7f\xc2\x9b!"s);
    mail.setMessageBody("one\r\ntwo\tthree\0\x07\n"s, true);
    MessageComposeViewController message;
    message.setRecipients(recipients);
    message.setBody("a\0b\r\nc\x1b[31m"s);
    const std::vector<std::string> kept = {"ann@example.com", "caf\xc3\xa9@example.com"};
    EXPECT_EQ(std::tuple(mail.toRecipients(), mail.subject(), mail.messageBody(), message.recipients(), message.body()),
              std::tuple(kept, "HiBcc: xy!", "one\r\ntwo\tthree\n", kept, "ab\r\nc[31m"));
    EXPECT_EQ(log.count("MailComposeViewController :: dropped a recipient holding a control character: "), 4u);
    EXPECT_TRUE(log.contains("dropped a recipient holding a control character: a@b.c\\r\\nBcc: evil@x"));
}

// A body keeps its lines and tabs (a "next line", U+0085, becomes a line feed) and loses
// every other control character of the one rule, DEL and the C1 controls as much as NUL
// and ESC; the letters around them, and UTF-8 letters whose second byte lies in the same
// range as a C1 control's, stay.
TEST_F(ComposerTest, BodiesLoseDelAndC1ControlsButKeepTheirLines) {
    using namespace std::string_literals;
    const std::pair<std::string, std::string> rows[] = {
        {"a\x7f" "b", "ab"},
        {"next\xc2\x85" "line", "next\nline"},
        {"\xc2\x80\xc2\x9f" "end", "end"},
        {"csi\xc2\x9b" "31m", "csi31m"},
        {"one\r\ntwo\tthree\n", "one\r\ntwo\tthree\n"},
        {"caf\xc3\xa9 \xc2\xa0\xc2\xa9", "caf\xc3\xa9 \xc2\xa0\xc2\xa9"},
        {"nul\0esc\x1b!"s, "nulesc!"},
    };
    for (const auto& [body, kept] : rows) {
        MailComposeViewController mail;
        mail.setMessageBody(body, false);
        MessageComposeViewController message;
        message.setBody(body);
        EXPECT_EQ(std::tuple(mail.messageBody(), message.body()), std::tuple(kept, kept))
            << platform::escapeControlCharacters(body);
    }
}
