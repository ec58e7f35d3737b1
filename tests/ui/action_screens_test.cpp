#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "core/vistrel_bundle.hpp"
#include "platform/foundation/locale.hpp"
#include "platform/foundation/log.hpp"
#include "platform/graphics/bitmap.hpp"
#include "platform/ui/label.hpp"
#include "platform/ui/render.hpp"
#include "platform/ui/storyboard.hpp"
#include "platform/ui/window.hpp"
#include "screens/about_storyboard.hpp"
#include "support/manual_time.hpp"
#include "support/temp_dir.hpp"
#include "ui/action_text_view_controller.hpp"
#include "ui/dismiss_segue.hpp"
#include "ui/info_view_controller.hpp"
#include "ui/vistrel_navigation_controller.hpp"
#include "ui/web_view_controller.hpp"

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
    EXPECT_EQ(about->storyboard()->name(), "About");
    auto navigation = presentInNavigation(about);
    EXPECT_EQ(about->navigationItem().title(), "Privacy");
    EXPECT_EQ(about->doneBarButtonItem()->title(), "Done");
    EXPECT_EQ(loadedAddress(about->webView()), kPrivacyPage);
    auto& bar = navigation->navigationBar();
    EXPECT_EQ(bar.barTintColor(), Color::rgba(0x2F / 255.0, 0x6F / 255.0, 0xEB / 255.0));
    EXPECT_FALSE(bar.isTranslucent());
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
    EXPECT_EQ(about->url(), "informations.url");
    EXPECT_EQ(loadedAddress(about->webView()), "(none)");
    EXPECT_EQ(about->navigationItem().title(), "Confidentialité");  // the user's language
    EXPECT_EQ(about->doneBarButtonItem()->title(), "Terminé");
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
    EXPECT_EQ(about->navigationItem().title(), "informations.confidentiality");
    EXPECT_EQ(loadedAddress(about->webView()), "(none)");
    // A storyboard that lacks the scene.
    vistrel::overrideBundleLocations(std::vector<fs::path>{VISTREL_BUILD_BUNDLE});
    platform::ui::Storyboard::registerStoryboard("About", "io.vistrel.sdk", [](platform::ui::StoryboardDefinition&) {});
    EXPECT_FALSE(vistrel::InfoViewController::instance()->storyboard());
    EXPECT_TRUE(log.contains("the initial screen of storyboard \"About\" is missing"));
    vistrel::registerAboutStoryboard();
}

TEST_F(ActionScreensTest, TextScreenShowsItsTextAndClosesWithDone) {
    auto text = vistrel::ActionTextViewController::instance();
    ASSERT_EQ(text->storyboardIdentifier(), "ActionTextViewController");
    text->text = "Opening hours: Monday to Friday, 9:00 to 18:00. Closed on public holidays.";
    auto navigation = presentInNavigation(text);
    EXPECT_EQ(text->actionTextLabel()->text(), text->text);
    EXPECT_EQ(text->view()->backgroundColor(), Color::white());
    auto done = text->navigationItem().rightBarButtonItem();
    ASSERT_TRUE(done);
    EXPECT_EQ(done->systemItem(), BarButtonSystemItem::done);
    EXPECT_EQ(navigation->supportedInterfaceOrientations(), InterfaceOrientationMask::portrait);
    // The wrapped text sits inside the page, under the bar, in dark pixels.
    auto shot = platform::ui::render(*window);
    ASSERT_TRUE(shot);
    const auto label = text->actionTextLabel()->convertRect(text->actionTextLabel()->bounds(), nullptr);
    EXPECT_GE(label.minY(), 64);
    EXPECT_LE(label.maxX(), 375 - 16);
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

TEST_F(ActionScreensTest, BrowserPushedOnTheTargetsNavigationController) {
    auto list = std::make_shared<ViewController>();
    auto navigation = presentInNavigation(list);
    auto browser = vistrel::WebViewController::instance();
    ASSERT_EQ(browser->storyboardIdentifier(), "WebViewController");
    browser->url = "https://example.org/menu";
    browser->isAnonymous = true;
    browser->actionTitle = "Menu";
    std::thread([&] { vistrel::WebViewController::show(list, browser); }).join();
    EXPECT_EQ(navigation->topViewController(), list);  // screens move on the main thread only
    time.advance(1s);
    EXPECT_EQ(navigation->topViewController(), browser);
    EXPECT_EQ(browser->navigationItem().title(), "Menu");
    EXPECT_FALSE(browser->navigationItem().rightBarButtonItem() || browser->navigationItem().leftBarButtonItem());
    EXPECT_EQ(loadedAddress(browser->webView()), "https://example.org/menu");
    EXPECT_TRUE(navigation->navigationBar().barTintColor());
    EXPECT_EQ(navigation->supportedInterfaceOrientations(), InterfaceOrientationMask::allButUpsideDown);
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
    EXPECT_EQ(action->systemItem(), BarButtonSystemItem::action);
    action->sendAction();
    time.advance(1s);
    auto sheet = browser->actionSheet();
    ASSERT_TRUE(sheet);
    ASSERT_TRUE(sheet->popoverAnchor());
    EXPECT_EQ(sheet->popoverAnchor()->barButtonItem.lock(), action);
    std::vector<std::string> titles;
    for (auto& entry : sheet->actions()) titles.push_back(entry->title().value_or("?"));
    EXPECT_EQ(titles, (std::vector<std::string>{"Open in browser", "Share", "Cancel"}));
    sheet->tapAction("Cancel");
    time.advance(1s);
    // The Done button closes the whole presentation.
    auto done = browser->navigationItem().leftBarButtonItem();
    ASSERT_TRUE(done);
    EXPECT_EQ(done->systemItem(), BarButtonSystemItem::done);
    done->sendAction();
    time.advance(1s);
    EXPECT_FALSE(root->presentedViewController());
}

TEST_F(ActionScreensTest, NavigationControllerFollowsItsTopScreen) {
    class LightScreen : public vistrel::VistrelViewController {
    public:
        platform::ui::StatusBarStyle preferredStatusBarStyle() const override {
            return platform::ui::StatusBarStyle::lightContent;
        }
    };
    VistrelNavigationController empty;
    EXPECT_EQ(empty.supportedInterfaceOrientations(), InterfaceOrientationMask::portrait);
    auto navigation = presentInNavigation(std::make_shared<LightScreen>());
    EXPECT_EQ(navigation->supportedInterfaceOrientations(), InterfaceOrientationMask::portrait);
    EXPECT_EQ(navigation->effectiveStatusBarStyle(), platform::ui::StatusBarStyle::lightContent);
    navigation->pushViewController(std::make_shared<ViewController>(), false);
    EXPECT_EQ(navigation->effectiveStatusBarStyle(), platform::ui::StatusBarStyle::defaultStyle);
}

TEST_F(ActionScreensTest, DismissSegueClosesItsSourceAndNeverShowsTheDestination) {
    platform::ui::Storyboard::registerStoryboard(
        "DismissTest", std::nullopt, [](platform::ui::StoryboardDefinition& story) {
            story.addViewController("Page",
                                    [](platform::ui::Storyboard&) { return std::make_shared<ViewController>(); });
            story.addViewController("Other",
                                    [](platform::ui::Storyboard&) { return std::make_shared<ViewController>(); });
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
