#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/manual_time.hpp"
#include "support/temp_dir.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/model/image.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/services/activity_view_controller.hpp"
#include "vistrel/platform/services/browser_view_controller.hpp"
#include "vistrel/platform/ui/alert_controller.hpp"
#include "vistrel/platform/ui/application.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/window.hpp"
#include "vistrel/presentation/calendar_event_import.hpp"
#include "vistrel/presentation/image_view_model.hpp"
#include "vistrel/screens/actions/action_text_view_controller.hpp"
#include "vistrel/screens/actions/presenting_screen.hpp"
#include "vistrel/screens/actions/vistrel_tools.hpp"
#include "vistrel/screens/actions/web_view_controller.hpp"

namespace {

using namespace std::chrono_literals;
using platform::LogCapture;
using platform::services::ActivityItem;
using platform::ui::Application;
using platform::ui::ViewController;
using vistrel::tr;

// A JSON string literal of the text.
std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out.push_back('\\');
        if (c == '\r') { out += "\\r"; continue; }
        if (c == '\n') { out += "\\n"; continue; }
        out.push_back(c);
    }
    return out.append("\"");
}

// The view model of an answer with one action of that kind and content (a JSON object).
vistrel::ImageViewModel oneAction(std::string_view type, std::string_view content) {
    std::string answer = R"({"Id":"i","Title":"t","Actions":[{"Id":"a","Name":"Spring sale","Type":)";
    answer.append(jsonString(type)).append(R"(,"Content":)").append(jsonString(content)).append("}]}");
    LogCapture quiet;
    return vistrel::ImageViewModel(vistrel::Image::fromData(answer), false);
}

template <typename T>
std::shared_ptr<T> rootOf(const std::shared_ptr<ViewController>& presented) {
    auto navigation = std::dynamic_pointer_cast<platform::ui::NavigationController>(presented);
    return navigation && !navigation->viewControllers().empty()
               ? std::dynamic_pointer_cast<T>(navigation->viewControllers().front())
               : nullptr;
}

class ActionDispatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{VISTREL_BUILD_BUNDLE});
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        // The screen the user sees: one presentation over the window's root.
        root->present(shown, false);
        Application::shared().clearOpenedURLs();
    }
    void TearDown() override {
        root->dismiss(false);
        time.advance(1s);
        window->setHidden(true);
        vistrel::overrideBundleLocations(std::nullopt);
        platform::services::MessageComposeViewController::setCanSendText(true);
        platform::services::MailComposeViewController::setCanSendMail(true);
    }

    // Runs the action from the shown screen and gives what that screen then presents.
    std::shared_ptr<ViewController> run(std::string_view type, std::string_view content) {
        oneAction(type, content).handleActionAtPosition(0, shown);
        time.advance(1s);
        return shown->presentedViewController();
    }

    // The alert over the shown screen holds the title, the message and one OK in that
    // style: the default one for missing content, the cancel one for the information
    // popup of a device that cannot send.
    void expectAlert(const std::shared_ptr<ViewController>& presented, const std::string& title,
                     const std::string& message,
                     platform::ui::AlertActionStyle okStyle = platform::ui::AlertActionStyle::defaultStyle) {
        auto alert = std::dynamic_pointer_cast<platform::ui::AlertController>(presented);
        ASSERT_TRUE(alert && alert->actions().size() == 1);
        EXPECT_EQ(std::tuple(alert->title(), alert->message(), alert->actions()[0]->title(), alert->actions()[0]->style()),
                  std::tuple(title, message, tr("general.ok"), okStyle));
    }

    testsupport::TempDir home;
    testsupport::ScopedEnv homeEnv{"VISTREL_HOME", home.path().c_str()};
    testsupport::ManualTime time;
    std::shared_ptr<ViewController> root = std::make_shared<ViewController>();
    std::shared_ptr<ViewController> shown = std::make_shared<ViewController>();
    std::shared_ptr<platform::ui::Window> window = std::make_shared<platform::ui::Window>();
};

TEST_F(ActionDispatchTest, MissingContentShowsTheAlertOfItsKindAndLaunchesNothing) {
    const std::pair<const char*, const char*> cases[] = {
        {"URL", "actions.error.cant_read_url"},          {"TEXT", "actions.error.cant_read_url"},
        {"CALENDAR", "actions.error.cant_read_event"},   {"VCARD", "actions.error.cant_read_vcard"},
        {"SMS", "actions.error.cant_read_sms_number"}, {"PHONE", "actions.error.cant_read_phone_number"},
    };
    for (const auto& [type, key] : cases) {
        SCOPED_TRACE(type);
        ASSERT_NE(tr(key), key);  // the key has a text of its own
        expectAlert(run(type, "{}"), tr("general.error"), tr(key));
        shown->dismiss(false);
    }
    EXPECT_TRUE(Application::shared().openedURLs().empty());
}

// A number the dialler cannot be handed tells the user so, as a missing one does; one
// written with "/" is dialled without it.
TEST_F(ActionDispatchTest, APhoneNumberThatCannotBeDialledShowsTheAlertOfAnUnreadableNumber) {
    LogCapture log;
    for (const char* content : {R"({"Number":"me@host"})", R"({"Number":"12?x=1"})", R"({"Number":"1\n2"})",
                                R"({"Number":" / "})", R"({"Number":"+1 900 \u202E4321 555"})"}) {
        SCOPED_TRACE(content);
        expectAlert(run("PHONE", content), tr("general.error"), tr("actions.error.cant_read_phone_number"));
        shown->dismiss(false);
        time.advance(1s);
    }
    EXPECT_EQ(log.count("refused to open a phone number that cannot be dialled"), 5u);
    EXPECT_EQ(run("PHONE", R"({"Number":"089/1234567"})"), nullptr);
    EXPECT_EQ(Application::shared().openedURLs(), std::vector<std::string>{"telprompt://0891234567"});
}

TEST_F(ActionDispatchTest, DataUnknownAndPositionsPastTheEndDoNothing) {
    EXPECT_EQ(run("DATA", R"({"Url":"https://example.com"})"), nullptr);
    EXPECT_EQ(run("SOMETHING", R"({"Url":"https://example.com"})"), nullptr);
    oneAction("URL", R"({"Url":"https://example.com"})").handleActionAtPosition(1, shown);
    oneAction("URL", R"({"Url":"https://example.com"})").handleActionAtPosition(-1, shown);
    time.advance(1s);
    EXPECT_TRUE(!shown->presentedViewController() && Application::shared().openedURLs().empty());
}

TEST_F(ActionDispatchTest, AddressesOpenInTheBrowserScreenTheBrowserViewOrTheSystem) {
    auto anonymous = rootOf<vistrel::WebViewController>(
        run("URL", R"({"Url":"https://example.com/a","IsAnonymousURL":true,"IsEmbeddedWebView":false})"));
    ASSERT_TRUE(anonymous);  // presented with a navigation bar (its Done button) around it
    EXPECT_EQ(std::tuple(anonymous->url, anonymous->isAnonymous, anonymous->actionTitle),
              std::tuple("https://example.com/a", true, "Spring sale"));
    shown->dismiss(false);

    auto view = std::dynamic_pointer_cast<platform::services::BrowserViewController>(
        run("URL", R"({"Url":"https://example.com/b","IsEmbeddedWebView":true})"));
    ASSERT_TRUE(view);
    EXPECT_EQ(view->url(), "https://example.com/b");
    shown->dismiss(false);

    // No flag, or a scheme that is no web page (exactly "http" or "https"), goes to the system.
    LogCapture log;
    for (const char* content : {R"({"Url":"mailto:a@example.com","IsEmbeddedWebView":true,"IsAnonymousURL":true})",
                                R"({"Url":"HTTPS://example.com/c","IsEmbeddedWebView":true})", R"({"Url":"example.com/d"})",
                                R"j({"Url":"javascript:alert(1)","IsEmbeddedWebView":true})j"})
        EXPECT_EQ(run("URL", content), nullptr) << content;
    EXPECT_EQ(Application::shared().openedURLs(),
              (std::vector<std::string>{"mailto:a@example.com", "HTTPS://example.com/c", "http://example.com/d"}));
    EXPECT_TRUE(log.contains("refused to open an address whose scheme is not allowed: javascript:alert(1)"));
}

TEST_F(ActionDispatchTest, ComposersGetTheirFieldsAndCloseWhenTheUserLeaves) {
    auto message = std::dynamic_pointer_cast<platform::services::MessageComposeViewController>(
        run("SMS", R"({"Number":"+33 6 12"})"));
    ASSERT_TRUE(message);
    EXPECT_EQ(std::tuple(message->recipients(), message->body()), std::tuple(std::vector<std::string>{"+33 6 12"}, ""));
    EXPECT_TRUE(message->finish(platform::services::MessageComposeResult::cancelled));
    time.advance(1s);
    EXPECT_EQ(shown->presentedViewController(), nullptr);

    auto mail = std::dynamic_pointer_cast<platform::services::MailComposeViewController>(run("EMAIL", "{}"));
    ASSERT_TRUE(mail);
    EXPECT_EQ(std::tuple(mail->toRecipients(), mail->subject(), mail->isBodyHTML()),
              std::tuple(std::vector<std::string>{""}, "", false));
    EXPECT_TRUE(mail->finish(platform::services::MailComposeResult::failed));
    time.advance(1s);
    EXPECT_EQ(shown->presentedViewController(), nullptr);
}

// What the answer puts in a composer may not forge lines: a recipient holding a control
// character refuses the launch (nothing is shown, not even the alert of a device that
// cannot send); a subject loses its control characters; a body keeps tabs and line breaks.
TEST_F(ActionDispatchTest, ComposersRefuseRecipientsWithControlCharactersAndCleanTheirTexts) {
    platform::services::MailComposeViewController::setCanSendMail(false);
    LogCapture log;
    for (auto [type, content] : {std::pair{"EMAIL", R"({"Address":"a@b.c\r\nBcc: evil@x"})"},
                                 {"EMAIL", R"({"Address":"a@b.c\u0000.evil"})"},
                                 {"SMS", R"({"Number":"+33\n6","Content":"hi"})"},
                                 {"SMS", R"({"Number":"12\u0000"})"}})
        EXPECT_EQ(run(type, content), nullptr) << content;
    EXPECT_EQ(log.count("Vistrel :: refused a recipient holding a control character: "), 4u);
    EXPECT_TRUE(log.contains("refused a recipient holding a control character: a@b.c\\r\\nBcc: evil@x"));
    platform::services::MailComposeViewController::setCanSendMail(true);

    auto mail = std::dynamic_pointer_cast<platform::services::MailComposeViewController>(run(
        "EMAIL", R"({"Address":"a@b.c","Subject":"Hi\r\nBcc: x\u0000y\t!","Content":"one\r\ntwo\tthree\u0000\u0007\n"})"));
    ASSERT_TRUE(mail);
    EXPECT_EQ(std::tuple(mail->toRecipients(), mail->subject(), mail->messageBody()),
              std::tuple(std::vector<std::string>{"a@b.c"}, "HiBcc: xy!", "one\r\ntwo\tthree\n"));
    mail->finish(platform::services::MailComposeResult::cancelled);
    time.advance(1s);
    auto message = std::dynamic_pointer_cast<platform::services::MessageComposeViewController>(
        run("SMS", R"({"Number":"+33 6","Content":"a\u0000b\r\nc\u001b[31m"})"));
    ASSERT_TRUE(message);
    EXPECT_EQ(message->body(), "ab\r\nc[31m");
    message->finish(platform::services::MessageComposeResult::cancelled);
    time.advance(1s);
    // DEL and the C1 controls go too, from the text message's body as from the mail's; a
    // next line (U+0085) is a line break.
    message = std::dynamic_pointer_cast<platform::services::MessageComposeViewController>(
        run("SMS", R"({"Number":"+33 6","Content":"x\u007fy\u0085z\u009b[31m\n"})"));
    ASSERT_TRUE(message);
    EXPECT_EQ(message->body(), "xy\nz[31m\n");
    message->finish(platform::services::MessageComposeResult::cancelled);
    time.advance(1s);
    mail = std::dynamic_pointer_cast<platform::services::MailComposeViewController>(
        run("EMAIL", R"({"Address":"a@b.c","Content":"one\u0085two\u007f\r\n"})"));
    ASSERT_TRUE(mail);
    EXPECT_EQ(mail->messageBody(), "one\ntwo\r\n");
}

TEST_F(ActionDispatchTest, ADeviceThatCannotSendShowsItsAlertOverTheShownScreen) {
    platform::services::MessageComposeViewController::setCanSendText(false);
    platform::services::MailComposeViewController::setCanSendMail(false);
    expectAlert(run("SMS", R"({"Number":"1","Content":"hi"})"), "Could Not Send Sms",
                "Your device could not send sms.  Please check sms configuration and try again.",
                platform::ui::AlertActionStyle::cancel);
    shown->dismiss(false);
    expectAlert(run("EMAIL", R"({"Address":"a@example.com"})"), "Could Not Send Email",
                "Your device could not send e-mail.  Please check e-mail configuration and try again.",
                platform::ui::AlertActionStyle::cancel);
}

TEST_F(ActionDispatchTest, ShareItemsComeInOrderWithAnAnchorAtTheScreensCentre) {
    auto sheet = std::dynamic_pointer_cast<platform::services::ActivityViewController>(
        run("SHARE", R"({"Content":"Look","Url":"www.example.com"})"));
    ASSERT_TRUE(sheet);
    ASSERT_TRUE(sheet->activityItems().size() == 2 && sheet->anchor());
    EXPECT_EQ(std::tuple(sheet->activityItems()[0].description(), sheet->activityItems()[1].description()),
              std::tuple(ActivityItem::makeText("Look").description(),
                         ActivityItem::makeAddress("http://www.example.com").description()));
    const auto bounds = shown->view()->bounds();
    EXPECT_EQ(std::tuple(sheet->anchor()->sourceView.lock(), sheet->anchor()->sourceRect.origin),
              std::tuple(shown->view(), platform::graphics::Point{bounds.size.width / 2, bounds.size.height / 2}));
    shown->dismiss(false);

    sheet = std::dynamic_pointer_cast<platform::services::ActivityViewController>(run("SHARE", "{}"));
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->activityItems().empty());
}

TEST_F(ActionDispatchTest, PhoneNumbersAndMapsGoToTheSystem) {
    EXPECT_EQ(run("PHONE", R"({"Number":"+33 (0)1-23 45 67;ext=9"})"), nullptr);
    // Without a geocoding service the coordinates stand in for the address.
    run("MAP", R"({"Latitude":48.85,"Longitude":2.35,"SearchAddress":"Paris"})");
    ASSERT_TRUE(platform::dispatch::RunLoop::runUntil([] { return Application::shared().openedURLs().size() == 2; }, 2min));
    run("MAP", R"({"Latitude":48.85})");  // one coordinate only: nothing
    EXPECT_EQ(Application::shared().openedURLs(),
              (std::vector<std::string>{"telprompt://+331-234567;ext=9", "maps:?ll=48.85,2.35&spn=0.000045,0.000068"}));
}

TEST_F(ActionDispatchTest, TheFirstContactOfACardIsOfferedAndACardWithoutOneShowsNothing) {
    const std::string two = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ada\r\nN:;Ada;;;\r\nEND:VCARD\r\n"
                            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bob\r\nN:;Bob;;;\r\nEND:VCARD\r\n";
    std::string content = R"({"VCard":)";
    content.append(jsonString(two)).append("}");
    auto contact = rootOf<platform::services::ContactViewController>(run("VCARD", content));
    ASSERT_TRUE(contact);
    EXPECT_EQ(contact->contact().givenName, "Ada");
    ASSERT_TRUE(contact->saveContact());  // Done: saved under the data folder, then closed
    time.advance(1s);
    EXPECT_EQ(std::tuple(shown->presentedViewController(),
                         platform::services::ContactStore(vistrel::VistrelTools::contactsFolder()).savedContacts().size()),
              std::tuple(nullptr, 1u));

    LogCapture log;
    EXPECT_EQ(run("VCARD", R"({"VCard":"no card here"})"), nullptr);
    EXPECT_TRUE(log.contains("Unable to show the new contact"));
}

TEST_F(ActionDispatchTest, TextAndCalendarScreens) {
    auto page = rootOf<vistrel::ActionTextViewController>(run("TEXT", R"({"Text":"Hello"})"));
    ASSERT_TRUE(page);
    EXPECT_EQ(page->text, "Hello");
    shown->dismiss(false);

    run("CALENDAR", R"({"VCalendar":"BEGIN:VEVENT\r\nSUMMARY:Fair\r\nEND:VEVENT\r\n"})");
    ASSERT_TRUE(platform::dispatch::RunLoop::runUntil([&] { return shown->presentedViewController() != nullptr; }, 2min));
    auto editor = std::dynamic_pointer_cast<platform::services::EventEditViewController>(shown->presentedViewController());
    ASSERT_TRUE(editor);
    EXPECT_EQ(std::tuple(editor->event().title, editor->eventStore()->folder()),
              std::tuple("Fair", vistrel::calendarEventsFolder()));
    editor->cancelEditing();
    time.advance(1s);
    EXPECT_EQ(shown->presentedViewController(), nullptr);
}

TEST_F(ActionDispatchTest, AnAlertAskedForWhileAScreenClosesWaitsForItAndATargetOffScreenShowsNothing) {
    auto closing = std::make_shared<ViewController>();
    shown->present(closing, false);
    closing->dismiss(true);  // on its way out for the length of the animation
    oneAction("URL", "{}").handleActionAtPosition(0, shown);
    time.advance(1s);
    expectAlert(shown->presentedViewController(), tr("general.error"), tr("actions.error.cant_read_url"));
    shown->dismiss(false);

    // The window's root, covered by the shown screen, asks: the alert comes over the shown screen.
    oneAction("PHONE", "{}").handleActionAtPosition(0, root);
    time.advance(1s);
    expectAlert(shown->presentedViewController(), tr("general.error"), tr("actions.error.cant_read_phone_number"));
    shown->dismiss(false);

    LogCapture log;
    auto offScreen = std::make_shared<ViewController>();
    oneAction("TEXT", R"({"Text":"Hello"})").handleActionAtPosition(0, offScreen);
    time.advance(1s);
    EXPECT_TRUE(!offScreen->presentedViewController() && log.contains("is not on show"));
}

TEST_F(ActionDispatchTest, TheBrowserScreensSheetSharesFromItsBarButtonAndOpensTheBrowserView) {
    auto browser = vistrel::WebViewController::instance();
    browser->url = "https://example.com/page";
    vistrel::WebViewController::show(shown, browser);
    time.advance(1s);
    const auto top = [&] { return vistrel::presentingScreen(*shown); };

    browser->didTapAction();
    time.advance(1s);
    ASSERT_TRUE(browser->actionSheet()->tapAction(tr("general.share")));
    time.advance(1s);
    auto sheet = std::dynamic_pointer_cast<platform::services::ActivityViewController>(top());
    ASSERT_TRUE(sheet);
    EXPECT_EQ(std::tuple(sheet->activityItems()[0].description(), sheet->anchor()->barButtonItem.lock()),
              std::tuple(ActivityItem::makeAddress("https://example.com/page").description(),
                         browser->navigationItem().rightBarButtonItem()));
    ASSERT_TRUE(sheet->cancel());
    time.advance(1s);

    browser->didTapAction();
    time.advance(1s);
    ASSERT_TRUE(browser->actionSheet()->tapAction(tr("webview.open_safari")));
    time.advance(1s);
    auto view = std::dynamic_pointer_cast<platform::services::BrowserViewController>(top());
    ASSERT_TRUE(view);
    EXPECT_EQ(view->url(), "https://example.com/page");
}

TEST_F(ActionDispatchTest, AnActionRunFromAnotherThreadIsBuiltAndPresentedOnTheMainQueue) {
    auto model = oneAction("TEXT", R"({"Text":"Hi"})");
    std::thread([&] { model.handleActionAtPosition(0, shown); }).join();
    EXPECT_EQ(shown->presentedViewController(), nullptr);  // no screen touched off the main thread
    time.advance(1s);
    EXPECT_TRUE(rootOf<vistrel::ActionTextViewController>(shown->presentedViewController()));
}

// Every address reaches the system opener (another application's scheme too) except
// what could run a script or read local data, in any letter case or with something in
// front of its scheme; a refusal opens nothing and says so.
TEST(VistrelTools, AddressesReachTheSystemUnlessDangerous) {
    const std::pair<std::string, bool> cases[] = {
        {"http://a", true},          {"HTTPS://a", true},           {"mailto:a@b", true},
        {"tel:1", true},             {"telprompt://1", true},       {"sms:1", true},
        {"maps:?ll=1,2", true},      {"myapp://x", true},           {"x-y.z+w:open?id=1", true},
        {"javascript:alert(1)", false}, {"JavaScript:alert(1)", false}, {" javascript:alert(1)", false},
        {"\tjavascript:alert(1)", false}, {"VBScript:msgbox(1)", false}, {"data:text/html,x", false},
        {"file:///etc/passwd", false}, {"FILE:///etc/passwd", false}, {"about:blank", false},
        {"blob:https://a/1", false},   {"content://contacts/1", false}, {"", false},
        {"example.com", false},      {"  myapp://x", false},        {"myapp://x\nforged", false},
        {"myapp://x\x7f", false},    {"myapp://\xc2\x85x", false},  {"java%73cript:alert(1)", false},
    };
    for (const auto& [address, opened] : cases) {
        Application::shared().clearOpenedURLs();
        LogCapture log;
        vistrel::VistrelTools::launchUrl(nullptr, address, std::nullopt, std::nullopt, std::nullopt);
        const std::string refusal = "refused to open an address whose scheme is not allowed: " +
                                    platform::escapeControlCharacters(address);
        EXPECT_EQ(std::tuple(Application::shared().openedURLs(), log.contains(refusal)),
                  std::tuple(opened ? std::vector<std::string>{address} : std::vector<std::string>{}, !opened))
            << platform::escapeControlCharacters(address);
    }
}

// A number is dialled as written, its separators aside (spaces of every kind, "/",
// brackets and dots, and the trunk "(0)" after a country code): letters, hyphens and
// pauses stay, "#" is escaped; one that could make the address open something else, or
// that the prompt would show otherwise than it is dialled, is refused.
TEST(VistrelTools, PhoneNumbersAreDialledAsWrittenOrRefused) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"+1-800-555-SHOP", "telprompt://+1-800-555-SHOP"}, {"+33 6 12 34", "telprompt://+3361234"},
        {"(555) 010-99", "telprompt://555010-99"},          {"*31#, 12;4", "telprompt://*31%23,12;4"},
        {"089/1234567", "telprompt://0891234567"},          {"030/123 456", "telprompt://030123456"},
        {"+49 (0)89/12.34.56", "telprompt://+4989123456"}, {" +44(0)20 7946", "telprompt://+44207946"},
        {"(0)89 12", "telprompt://08912"},                  {"+49 89 (0)12", "telprompt://+4989012"},
        {"+33\u00a06\u2009\u202f12\u2007\u3000 34", "telprompt://+3361234"},
        {std::string(64, '1'), "telprompt://" + std::string(64, '1')},
        {std::string(65, '1'), std::nullopt}, {std::string(1 << 20, '1'), std::nullopt},
        {"+1 900 \u202e4321 555", std::nullopt}, {"12\u200f34", std::nullopt}, {"12\u200b34", std::nullopt},
        {"12\u202834", std::nullopt}, {"12\u2029", std::nullopt}, {"12\xff", std::nullopt},
        {"12?x=1", std::nullopt}, {"me@host", std::nullopt}, {"1\n2", std::nullopt}, {"1%0a2", std::nullopt},
        {"1\t2", std::nullopt},  {"1\x7f", std::nullopt},  {"\xc2\x85" "1", std::nullopt}, {"   ", std::nullopt},
        {" / ( ) . ", std::nullopt},
    };
    for (const auto& [number, address] : cases) {
        Application::shared().clearOpenedURLs();
        LogCapture log;
        vistrel::VistrelTools::callNumber(number);
        EXPECT_EQ(std::tuple(Application::shared().openedURLs(), log.contains("refused to open a phone number")),
                  std::tuple(address ? std::vector<std::string>{*address} : std::vector<std::string>{}, !address))
            << platform::escapeControlCharacters(number);
        for (const auto& line : log.lines()) EXPECT_LT(line.size(), 5000u);  // a megabyte number too
    }
}

}  // namespace
