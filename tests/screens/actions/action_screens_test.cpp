#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/manual_time.hpp"
#include "support/temp_dir.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/locale.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/ui/label.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/storyboard.hpp"
#include "vistrel/platform/ui/window.hpp"
#include "vistrel/presentation/display_limits.hpp"
#include "vistrel/screens/about/about_storyboard.hpp"
#include "vistrel/screens/about/info_view_controller.hpp"
#include "vistrel/screens/actions/action_text_view_controller.hpp"
#include "vistrel/screens/actions/web_view_controller.hpp"
#include "vistrel/screens/common/dismiss_segue.hpp"
#include "vistrel/screens/common/vistrel_navigation_controller.hpp"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using platform::LogCapture;
using platform::graphics::Color;
using platform::ui::BarButtonSystemItem;
using platform::ui::InterfaceOrientationMask;
using platform::ui::NavigationController;
using platform::ui::ViewController;
using platform::ui::Window;
using vistrel::VistrelNavigationController;

constexpr const char* kPrivacyPage = "http://127.0.0.1:8932/privacy.html";

// A copy of the kit's bundle whose strings tables lack every line holding `dropped`.
fs::path bundleWithout(const testsupport::TempDir& dir, const std::string& dropped) {
    const fs::path copy = dir / "Vistrel.bundle";
    fs::copy(VISTREL_BUILD_BUNDLE, copy, fs::copy_options::recursive);
    for (const char* language : {"en.lproj", "fr.lproj"}) {
        const fs::path strings = copy / language / "Localizable.strings";
        std::ifstream in(strings);
        std::ostringstream kept;
        for (std::string line; std::getline(in, line);)
            if (line.find(dropped) == std::string::npos) kept << line << '\n';
        in.close();
        std::ofstream(strings) << kept.str();
    }
    return copy;
}

class ActionScreensTest : public ::testing::Test {
protected:
    void SetUp() override {
        vistrel::overrideBundleLocations(std::vector<fs::path>{VISTREL_BUILD_BUNDLE});
        platform::setPreferredLanguages(std::vector<std::string>{"en"});
        window->setRootViewController(root);
        window->makeKeyAndVisible();
    }
    void TearDown() override {
        vistrel::overrideBundleLocations(std::nullopt);
        platform::setPreferredLanguages(std::nullopt);
    }

    // Presents `screen` as the root of a new navigation controller, as the kit's callers do.
    std::shared_ptr<NavigationController> presentInNavigation(const std::shared_ptr<ViewController>& screen) {
        auto navigation = std::make_shared<VistrelNavigationController>(screen);
        root->present(navigation, true);
        time.advance(1s);
        return navigation;
    }

    testsupport::ManualTime time;
    std::shared_ptr<ViewController> root = std::make_shared<ViewController>();
    std::shared_ptr<Window> window = std::make_shared<Window>();
};

std::string loadedAddress(const std::shared_ptr<platform::ui::WebView>& webView) {
    return webView && webView->request() ? webView->request()->url : "(none)";
}

TEST_F(ActionScreensTest, AboutScreenShowsThePrivacyPageUnderAThemedBar) {
    auto about = vistrel::InfoViewController::instance();
    ASSERT_TRUE(about->storyboard());
    auto navigation = presentInNavigation(about);
    EXPECT_EQ(std::tuple(about->navigationItem().title(), about->doneBarButtonItem()->title(),
                         loadedAddress(about->webView())),
              std::tuple("Privacy", "Done", kPrivacyPage));
    auto& bar = navigation->navigationBar();
    EXPECT_EQ(std::tuple(bar.barTintColor(), bar.isTranslucent()),
              std::tuple(Color::rgba(0x2F / 255.0, 0x6F / 255.0, 0xEB / 255.0), false));
    // A few pixels that matter: the bar in the primary colour, the page white beneath it.
    auto shot = platform::ui::render(*window);
    ASSERT_TRUE(shot);
    const double scale = shot->width() / 375.0;
    EXPECT_TRUE(shot->pixel(int(10 * scale), int(40 * scale)).isClose(*bar.barTintColor(), 0.02));
    EXPECT_TRUE(shot->pixel(int(10 * scale), int(400 * scale)).isClose(Color::white(), 0.02));
    about->doneBarButtonItem()->sendAction();
    time.advance(1s);
    EXPECT_FALSE(root->presentedViewController());
}

TEST_F(ActionScreensTest, AboutScreenFollowsTheLanguageAndSurvivesAMissingAddress) {
    platform::setPreferredLanguages(std::vector<std::string>{"fr-FR"});
    testsupport::TempDir dir;
    vistrel::overrideBundleLocations(std::vector<fs::path>{bundleWithout(dir, "\"informations.url\"")});
    LogCapture log;
    auto about = vistrel::InfoViewController::instance();
    presentInNavigation(about);
    // The user's language; the missing address loads nothing.
    EXPECT_EQ(std::tuple(about->url(), loadedAddress(about->webView()), about->navigationItem().title(),
                         about->doneBarButtonItem()->title()),
              std::tuple("informations.url", "(none)", "Confidentialité", "Terminé"));
    EXPECT_TRUE(log.contains("the about page shows no page"));
}

TEST_F(ActionScreensTest, MissingBundleOrSceneGivesTheScreenBuiltInCode) {
    vistrel::overrideBundleLocations(std::vector<fs::path>{});
    LogCapture log;
    auto about = vistrel::InfoViewController::instance();
    ASSERT_TRUE(vistrel::WebViewController::instance());
    EXPECT_FALSE(about->storyboard());
    EXPECT_TRUE(log.contains("the kit's bundle was not found, so there is no storyboard \"About\""));
    EXPECT_TRUE(log.contains("the screen \"WebViewController\" of storyboard \"Actions\" is missing"));
    presentInNavigation(about);
    EXPECT_EQ(std::tuple(about->navigationItem().title(), loadedAddress(about->webView())),
              std::tuple("informations.confidentiality", "(none)"));
    // A storyboard that lacks the scene.
    vistrel::overrideBundleLocations(std::vector<fs::path>{VISTREL_BUILD_BUNDLE});
    platform::ui::Storyboard::registerStoryboard("About", "io.vistrel.sdk", [](platform::ui::StoryboardDefinition&) {});
    EXPECT_FALSE(vistrel::InfoViewController::instance()->storyboard());
    EXPECT_TRUE(log.contains("the initial screen of storyboard \"About\" is missing"));
    vistrel::registerAboutStoryboard();
}

TEST_F(ActionScreensTest, TextScreenShowsItsTextAndClosesWithDone) {
    auto text = vistrel::ActionTextViewController::instance();
    text->text = "Opening hours: Monday to Friday, 9:00 to 18:00. Closed on public holidays.";
    auto navigation = presentInNavigation(text);
    EXPECT_EQ(text->actionTextLabel()->text(), text->text);
    auto done = text->navigationItem().rightBarButtonItem();
    ASSERT_TRUE(done);
    EXPECT_EQ(std::tuple(done->systemItem(), navigation->supportedInterfaceOrientations()),
              std::tuple(BarButtonSystemItem::done, InterfaceOrientationMask::portrait));
    // The wrapped text sits inside the page, under the bar, in dark pixels.
    auto shot = platform::ui::render(*window);
    ASSERT_TRUE(shot);
    const auto label = text->actionTextLabel()->convertRect(text->actionTextLabel()->bounds(), nullptr);
    EXPECT_TRUE(label.minY() >= 64 && label.maxX() <= 375 - 16);
    int dark = 0;
    const double scale = shot->width() / 375.0;
    for (int y = int(label.minY() * scale); y < int(label.maxY() * scale); ++y)
        for (int x = int(label.minX() * scale); x < int(label.maxX() * scale); ++x) dark += shot->pixel(x, y).r < 0.5;
    EXPECT_GT(dark, 100);
    done->sendAction();
    time.advance(1s);
    EXPECT_FALSE(root->presentedViewController());
    // Without a text: an empty page that still closes.
    auto empty = vistrel::ActionTextViewController::instance();
    presentInNavigation(empty);
    EXPECT_FALSE(empty->actionTextLabel()->text());
    EXPECT_TRUE(empty->navigationItem().rightBarButtonItem());
}

TEST_F(ActionScreensTest, TextPageLaysOutLongTextWithoutBreakOpportunities) {
    // 200 KB without a space: the engine alone takes minutes over it, or measures nothing.
    std::string text;
    while (text.size() < 200'000) text += "abcdefghijklmnopqrstuvwxyz0123456789";
    auto page = vistrel::ActionTextViewController::instance();
    page->text = text;
    presentInNavigation(page);
    auto shot = platform::ui::render(*window);
    ASSERT_TRUE(shot);
    // Wrapped at characters into one tall label: lines of about 35 characters each, of
    // as much as the page shows.
    const auto label = page->actionTextLabel();
    platform::ui::Label oneLine;
    oneLine.setText("A");
    const auto frame = label->frame();
    const double lines = frame.height() / oneLine.sizeThatFits({375, 0}).height;
    const double shown = static_cast<double>(label->text()->size());
    EXPECT_TRUE(lines > shown / 50.0 && lines < shown / 25.0) << lines;
    EXPECT_LE(label->sizeThatFits({frame.width(), 0}).width, frame.width());
    // Its first lines show under the bar.
    const double scale = shot->width() / 375.0;
    int dark = 0;
    for (int y = int(80 * scale); y < int(200 * scale); ++y)
        for (int x = int(16 * scale); x < int(359 * scale); ++x) dark += shot->pixel(x, y).r < 0.5;
    EXPECT_GT(dark, 1000);
}

// `unit` repeated to past `bytes`.
std::string repeatedPast(const std::string& unit, std::size_t bytes) {
    std::string text;
    while (text.size() <= bytes) text += unit;
    return text;
}

std::size_t occurrences(std::string_view text, std::string_view of) {
    std::size_t count = 0;
    for (auto at = text.find(of); at != std::string_view::npos; at = text.find(of, at + of.size())) ++count;
    return count;
}

// However long the text and whatever it is made of, the page lays out a bounded start of
// it, cut between code points and ended with a mark that it goes on; a short text is
// shown as it is.
TEST_F(ActionScreensTest, TextPageShowsABoundedStartOfALongText) {
    using namespace vistrel::display_limits;
    const std::string shortText = "Opening hours: Monday to Friday.\nClosed on public holidays.";
    const std::size_t past = 2 * maximumTextBytes;
    for (const std::string& text : {
             shortText,
             repeatedPast("ordinary words ", past),
             repeatedPast("abcdefghijklmnopqrstuvwxyz", past),  // no spaces
             repeatedPast("\u200Fa", past),                       // a right-to-left mark before each letter
             repeatedPast("a\u05D0", past),                       // Latin and Hebrew in turn
             repeatedPast("\u2028", 3 * 2 * maximumTextLines),    // each one a line
             repeatedPast("a\r\n", 3 * 2 * maximumTextLines),
             repeatedPast("a\u03B1\u0431\u05D0\u0628\u0915\u0E01\u4E00", past),  // a script per letter
             "a" + repeatedPast("\u0301", past),                   // one character of marks
             repeatedPast("\U0001F44D\U0001F3FD", past),           // emoji with a modifier
             repeatedPast("\xFF" "a\xC3", past),                   // bytes that are no UTF-8
         }) {
        auto page = vistrel::ActionTextViewController::instance();
        page->text = text;
        presentInNavigation(page);
        const auto label = page->actionTextLabel();
        const std::string shown = label->text().value_or("");
        EXPECT_GT(label->frame().height(), 0);
        root->dismiss(false);
        time.advance(1s);
        if (text == shortText) {
            EXPECT_EQ(shown, text);
            continue;
        }
        EXPECT_TRUE(shown.ends_with(textGoesOnMark)) << platform::escapeControlCharacters(text.substr(0, 40));
        if (!shown.ends_with(textGoesOnMark)) continue;
        const std::string_view start(shown.data(), shown.size() - textGoesOnMark.size());
        EXPECT_TRUE(text.starts_with(start) && !start.empty() && start.size() <= maximumTextBytes) << start.size();
        // Between two code points: the text goes on with the first byte of one.
        EXPECT_NE(static_cast<unsigned char>(text[start.size()]) & 0xC0, 0x80) << start.size();
        EXPECT_LT(occurrences(start, "\n") + occurrences(start, "\u2028"), maximumTextLines);
    }
}

TEST_F(ActionScreensTest, BrowserPushedOnTheTargetsNavigationController) {
    auto list = std::make_shared<ViewController>();
    auto navigation = presentInNavigation(list);
    auto browser = vistrel::WebViewController::instance();
    browser->url = "https://example.org/menu";
    browser->isAnonymous = true;
    browser->actionTitle = "Menu";
    std::thread([&] { vistrel::WebViewController::show(list, browser); }).join();
    EXPECT_EQ(navigation->topViewController(), list);  // screens move on the main thread only
    time.advance(1s);
    EXPECT_EQ(navigation->topViewController(), browser);
    // Anonymous: no buttons; the orientations follow the top screen.
    EXPECT_FALSE(browser->navigationItem().rightBarButtonItem() || browser->navigationItem().leftBarButtonItem());
    EXPECT_EQ(std::tuple(browser->navigationItem().title(), loadedAddress(browser->webView()),
                         navigation->supportedInterfaceOrientations()),
              std::tuple("Menu", "https://example.org/menu", InterfaceOrientationMask::allButUpsideDown));
}

TEST_F(ActionScreensTest, BrowserPresentedComesWithADoneButton) {
    auto browser = vistrel::WebViewController::instance();
    browser->url = "https://example.org/";
    browser->isAnonymous = false;
    vistrel::WebViewController::show(root, browser);
    time.advance(1s);
    auto navigation = std::dynamic_pointer_cast<VistrelNavigationController>(root->presentedViewController());
    ASSERT_TRUE(navigation);
    EXPECT_EQ(navigation->topViewController(), browser);
    EXPECT_FALSE(browser->navigationItem().title());
    // Not anonymous: the action button and its sheet.
    auto action = browser->navigationItem().rightBarButtonItem();
    ASSERT_TRUE(action);
    action->sendAction();
    time.advance(1s);
    ASSERT_TRUE(browser->actionSheet() && browser->actionSheet()->tapAction("Cancel"));
    time.advance(1s);
    // The Done button closes the whole presentation.
    auto done = browser->navigationItem().leftBarButtonItem();
    ASSERT_TRUE(done);
    done->sendAction();
    time.advance(1s);
    EXPECT_FALSE(root->presentedViewController());
}

TEST_F(ActionScreensTest, DismissSegueClosesItsSourceAndNeverShowsTheDestination) {
    platform::ui::Storyboard::registerStoryboard(
        "DismissTest", std::nullopt, [](platform::ui::StoryboardDefinition& story) {
            for (const char* name : {"Page", "Other"})
                story.addViewController(name, [](platform::ui::Storyboard&) { return std::make_shared<ViewController>(); });
            story.addCustomSegue("Page", "close", "Other", [](std::string id, auto source, auto destination) {
                return std::make_shared<vistrel::DismissSegue>(std::move(id), std::move(source),
                                                               std::move(destination));
            });
        });
    auto page = platform::ui::Storyboard::named("DismissTest")->instantiateViewController("Page");
    auto navigation = presentInNavigation(page);
    page->performSegue("close");
    time.advance(1s);
    EXPECT_FALSE(root->presentedViewController());
    EXPECT_EQ(navigation->viewControllers().size(), 1u);
    platform::ui::Storyboard::unregisterStoryboard("DismissTest", std::nullopt);
}

}  // namespace
