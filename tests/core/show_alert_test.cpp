#include <gtest/gtest.h>

#include "vistrel/core/alert_controller.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/alert_controller.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/window.hpp"

using namespace platform::ui;
using platform::dispatch::RunLoop;
using Lines = std::vector<std::string>;

namespace {

// A kit screen: a view controller that conforms.
class Screen : public ViewController, public vistrel::AlertController {};

struct ShowAlertTest : ::testing::Test {
    void SetUp() override {
        window->setRootViewController(host);
        window->makeKeyAndVisible();
    }
    void TearDown() override { RunLoop::runUntilIdle(); }

    vistrel::AlertController::Handler note(std::string line) {
        return [this, line](AlertAction&) { calls.push_back(line); };
    }
    // The alert shown over the window, if any: the top of its presentations.
    std::shared_ptr<platform::ui::AlertController> shownAlert() const {
        std::shared_ptr<ViewController> top = host;
        while (auto next = top->presentedViewController()) top = next;
        return std::dynamic_pointer_cast<platform::ui::AlertController>(top);
    }
    // Taps an action once the alert is in place, and lets the dismissal and handler run.
    static bool tapOnceShown(platform::ui::AlertController& alert, std::size_t index) {
        RunLoop::runUntilIdle();
        const bool tapped = alert.tapAction(index);
        RunLoop::runUntilIdle();
        return tapped;
    }
    // The host presents the kit modally, as hosts do, and the screen is its root.
    void presentKit() {
        host->present(navigation, false);
        RunLoop::runUntilIdle();
    }

    std::shared_ptr<ViewController> host = std::make_shared<ViewController>();
    std::shared_ptr<Window> window = std::make_shared<Window>();
    std::shared_ptr<Screen> screen = std::make_shared<Screen>();
    std::shared_ptr<NavigationController> navigation = std::make_shared<NavigationController>(screen);
    Lines calls;
};

// The titles of the alert's actions, each with its style unless it is the default one.
std::vector<std::string> titles(const platform::ui::AlertController& alert) {
    std::vector<std::string> list;
    for (auto& a : alert.actions()) {
        list.push_back(a->title().value_or("(none)"));
        if (a->style() != AlertActionStyle::defaultStyle)
            list.back() += a->style() == AlertActionStyle::destructive ? " (destructive)" : " (cancel)";
    }
    return list;
}

}  // namespace

TEST_F(ShowAlertTest, TheAlertComesFromTheTopPresentationOfTheWindowNotItsRoot) {
    presentKit();
    screen->showAlert("Title", "Message", {"First", "Second"}, {note("first"), note("second")});
    auto alert = shownAlert();
    ASSERT_TRUE(alert);
    // Presented by the kit's navigation, not the busy host.
    EXPECT_EQ(std::tuple(alert->presentingViewController(), alert->title(), alert->message(), titles(*alert)),
              std::tuple(navigation, "Title", "Message", Lines{"First", "Second"}));
    EXPECT_TRUE(tapOnceShown(*alert, 1));
    EXPECT_EQ(std::tuple(calls, navigation->presentedViewController()), std::tuple(Lines{"second"}, nullptr));
}

TEST_F(ShowAlertTest, EachHandlerGoesWithItsButtonAndSurplusButtonsOnlyClose) {
    presentKit();
    screen->showAlert("T", "M", {"One", std::nullopt, "Three"}, {note("one")});
    auto alert = shownAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(titles(*alert), (Lines{"One", "(none)", "Three"}));
    EXPECT_TRUE(tapOnceShown(*alert, 2));  // only closes the alert
    EXPECT_TRUE(calls.empty() && !shownAlert());
    // The two-button form puts the destructive button first.
    screen->showAlert("T", "M", "Keep", "Delete", note("keep"), note("delete"));
    alert = shownAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(titles(*alert), (Lines{"Delete (destructive)", "Keep"}));
    EXPECT_TRUE(tapOnceShown(*alert, 1));
    EXPECT_EQ(calls, (Lines{"keep"}));
}

TEST_F(ShowAlertTest, AScreenAsTheWindowRootPresentsFromItself) {
    auto root = std::make_shared<Screen>();
    window->setRootViewController(root);
    root->showAlert("T", "M", "OK", nullptr);
    auto alert = std::dynamic_pointer_cast<platform::ui::AlertController>(root->presentedViewController());
    ASSERT_TRUE(alert);
    // An alert on screen is itself the top: a second alert comes over it rather than being lost.
    RunLoop::runUntilIdle();
    root->showAlert("T2", "M2", "OK", nullptr);
    EXPECT_TRUE(alert->presentedViewController());
}

TEST_F(ShowAlertTest, AScreenInNoWindowShowsNothingSilently) {
    platform::LogCapture log;
    navigation->view();  // loaded, but the kit is not presented
    screen->showAlert("T", "M", "OK", nullptr);
    // A conformer that is no view controller shows nothing.
    struct NotAScreen : vistrel::AlertController {};
    NotAScreen{}.showAlert("T", "M", "OK", nullptr);
    EXPECT_TRUE(!shownAlert() && log.lines().empty());
}

TEST_F(ShowAlertTest, AnAlertOnItsWayOutIsNotTheTop) {
    presentKit();
    screen->showAlert("First", "M", "OK", nullptr);
    auto first = shownAlert();
    RunLoop::runUntilIdle();
    first->tapAction(0);  // closing, animated
    screen->showAlert("Second", "M", "OK", nullptr);
    auto second = shownAlert();
    ASSERT_TRUE(second);
    EXPECT_EQ(std::tuple(second->title(), second->presentingViewController()), std::tuple("Second", navigation));
}
