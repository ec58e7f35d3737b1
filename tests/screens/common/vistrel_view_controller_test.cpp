#include "vistrel/screens/common/vistrel_view_controller.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/manual_time.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/image_view.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/window.hpp"

namespace {

using namespace std::chrono_literals;
using platform::LogCapture;
using platform::ui::NavigationController;
using platform::ui::View;
using platform::ui::ViewController;
using platform::ui::Window;
using vistrel::VistrelViewController;

class BaseScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{VISTREL_BUILD_BUNDLE});
    }
    void TearDown() override { vistrel::overrideBundleLocations(std::nullopt); }

    std::shared_ptr<VistrelViewController> shownScreen() {
        auto screen = std::make_shared<VistrelViewController>();
        window->setRootViewController(screen);
        window->makeKeyAndVisible();
        return screen;
    }

    testsupport::ManualTime time;
    std::shared_ptr<Window> window = std::make_shared<Window>();
};

TEST_F(BaseScreenTest, TimedAlertClosesAfterItsTicks) {
    struct Case {
        double seconds;
        int closingTick;
    };
    // Ten subtractions of 0.1 from 1.0 leave a small positive remainder: an 11th tick.
    for (const Case c : {Case{1.5, 15}, Case{2.0, 20}, Case{1.0, 11}, Case{0, 1}, Case{-3, 1}}) {
        auto screen = shownScreen();
        screen->showAlertMsg("Offline", "Try later", c.seconds);
        auto alert = screen->alertController();
        ASSERT_TRUE(alert && alert->presentingViewController()) << c.seconds;
        EXPECT_EQ(std::tuple(alert->title(), alert->message(), alert->actions().size()),
                  std::tuple("Offline", "Try later", 0u));
        int ticks = 0;
        while (screen->alertTimer() && ticks < 100) {
            time.advance(100ms);
            ++ticks;
            if (screen->alertTimer()) {
                EXPECT_EQ(alert->message(), "Try later ");
            }
        }
        EXPECT_EQ(ticks, c.closingTick) << c.seconds;
        time.advance(1s);  // the dismissal's animation ends
        EXPECT_FALSE(screen->alertController() || alert->presentingViewController()) << c.seconds;
    }
}

TEST_F(BaseScreenTest, SecondAlertIsRefusedWhileOneIsUp) {
    auto screen = shownScreen();
    screen->showAlertMsg("First", "one", 0.3);
    auto first = screen->alertController();
    LogCapture log;
    screen->showAlertMsg("Second", "two", 5);
    EXPECT_TRUE(log.contains("Alert already displayed"));
    EXPECT_EQ(screen->alertController(), first);
    EXPECT_EQ(screen->baseMessage(), "one");
    // The last tick starts the closing; until the dismissal ends, still refused.
    screen->alertTimer()->invalidate();
    for (int tick = 0; tick < 3; ++tick) screen->countDown();
    EXPECT_FALSE(screen->alertTimer());
    ASSERT_TRUE(screen->alertController());
    screen->showAlertMsg("Third", "three", 1);
    EXPECT_EQ(log.count("Alert already displayed"), 2u);
    EXPECT_EQ(screen->alertController(), first);
    platform::dispatch::RunLoop::runUntilIdle();
    screen->showAlertMsg("Fourth", "four", 1);  // idle again
    EXPECT_EQ(screen->alertController()->title(), "Fourth");
}

TEST_F(BaseScreenTest, AlertThatCannotBePresentedLeavesTheScreenReady) {
    auto offScreen = std::make_shared<VistrelViewController>();
    LogCapture log;
    offScreen->showAlertMsg("Lost", "nobody sees this", 2);
    EXPECT_FALSE(offScreen->alertController() || offScreen->alertTimer());
    EXPECT_TRUE(log.contains("could not be presented"));
    // The same screen, once shown, takes the next alert.
    window->setRootViewController(offScreen);
    window->makeKeyAndVisible();
    offScreen->showAlertMsg("Shown", "now", 2);
    ASSERT_TRUE(offScreen->alertController());
    EXPECT_TRUE(offScreen->alertController()->presentingViewController());
}

TEST_F(BaseScreenTest, WorkAskedOnAnotherThreadRunsOnTheMainQueue) {
    auto screen = shownScreen();
    std::thread other([&] {
        screen->showAlertMsg("From afar", "hello", 0.3);
        screen->showLoadingView();
    });
    other.join();
    // Nothing touched off the main thread.
    EXPECT_FALSE(screen->alertController() || screen->view()->viewWithTag(VistrelViewController::loadingViewTag));
    platform::dispatch::RunLoop::runUntilIdle();
    ASSERT_TRUE(screen->alertController());
    EXPECT_TRUE(screen->view()->viewWithTag(VistrelViewController::loadingViewTag));
    std::thread([&] { screen->hideLoadingView(); }).join();
    platform::dispatch::RunLoop::runUntilIdle();
    EXPECT_FALSE(screen->view()->viewWithTag(VistrelViewController::loadingViewTag));
}

TEST_F(BaseScreenTest, LoadingViewsStackAndShowTheSpinner) {
    auto screen = shownScreen();
    screen->hideLoadingView();  // none: nothing happens
    screen->showLoadingView();
    screen->showLoadingView();
    screen->hideLoadingView();
    auto view = screen->view();
    std::vector<std::shared_ptr<View>> indicators;
    for (auto& sub : view->subviews())
        if (sub->tag() == VistrelViewController::loadingViewTag) indicators.push_back(sub);
    ASSERT_EQ(indicators.size(), 1u);
    EXPECT_EQ(view->subviews().back(), indicators[0]);
    EXPECT_EQ(indicators[0]->frame(), (platform::ui::Rect{112.5, 258.5, 150, 150}));
    auto spinner = std::dynamic_pointer_cast<platform::ui::ImageView>(indicators[0]);
    ASSERT_TRUE(spinner && spinner->image());
    EXPECT_GT(spinner->image()->frames().size(), 1u);
    // Without the kit's bundle: an empty indicator and a line.
    vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{});
    LogCapture log;
    screen->showLoadingView();
    auto empty = std::dynamic_pointer_cast<platform::ui::ImageView>(view->subviews().back());
    ASSERT_TRUE(empty && !empty->image());
    EXPECT_EQ(empty->frame().size, (platform::ui::Size{150, 150}));
    EXPECT_TRUE(log.contains("bundle was not found"));
}

TEST_F(BaseScreenTest, DismissPopsOrClosesAsTheScreenStands) {
    auto root = std::make_shared<ViewController>();
    window->setRootViewController(root);
    window->makeKeyAndVisible();
    auto first = std::make_shared<VistrelViewController>();
    auto second = std::make_shared<VistrelViewController>();
    auto navigation = std::make_shared<NavigationController>(first);
    root->present(navigation, false);
    navigation->pushViewController(second, false);
    std::vector<std::string> events;
    // Second of a stack: popped, the completion runs as the pop starts.
    second->dismiss([&] {
        events.push_back(second->isViewLoaded() && navigation->viewControllers().size() == 1 ? "popped" : "?");
    });
    EXPECT_EQ(events, (std::vector<std::string>{"popped"}));
    time.advance(1s);
    // Only screen: the whole navigation controller closes; the completion waits for it.
    first->dismiss([&] { events.push_back(root->presentedViewController() ? "still shown" : "closed"); });
    EXPECT_EQ(events.size(), 1u);
    time.advance(1s);
    EXPECT_EQ(events.back(), "closed");
    // Outside any navigation controller: the screen itself is dismissed.
    auto lone = std::make_shared<VistrelViewController>();
    root->present(lone, false);
    lone->dismiss();
    time.advance(1s);
    EXPECT_FALSE(root->presentedViewController());
}

TEST_F(BaseScreenTest, BarFlagsApplyEachTimeTheScreenAppears) {
    auto hiding = std::make_shared<VistrelViewController>();
    hiding->hideNavigationBar = true;
    hiding->hideBackButtonText = true;
    auto navigation = std::make_shared<NavigationController>(hiding);
    window->setRootViewController(navigation);
    window->makeKeyAndVisible();
    ASSERT_TRUE(navigation->isNavigationBarHidden() && hiding->navigationItem().backBarButtonItem());
    EXPECT_EQ(hiding->navigationItem().backBarButtonItem()->title(), "");
    auto showing = std::make_shared<VistrelViewController>();
    navigation->pushViewController(showing, true);
    // Shown again after a screen that hid it.
    EXPECT_FALSE(navigation->isNavigationBarHidden() || showing->navigationItem().backBarButtonItem());
    time.advance(1s);
}

}  // namespace
