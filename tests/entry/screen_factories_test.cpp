#include <gtest/gtest.h>

#include "core/vistrel_bundle.hpp"
#include "entry/vistrel.hpp"
#include "platform/foundation/log.hpp"
#include "platform/ui/navigation_controller.hpp"
#include "platform/ui/storyboard.hpp"
#include "screens/camera_view_controller.hpp"
#include "screens/main_storyboard.hpp"

using platform::ui::NavigationController;
using platform::ui::Storyboard;
using platform::ui::StoryboardDefinition;
using vistrel::CameraViewController;
using vistrel::Vistrel;

namespace {

struct ScreenFactoriesTest : ::testing::Test {
    void SetUp() override { vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{VISTREL_BUILD_BUNDLE}); }
    void TearDown() override {
        vistrel::registerMainStoryboard();  // whatever a test put in its place
        vistrel::overrideBundleLocations(std::nullopt);
    }

    // Both factories give an empty navigation controller and say why.
    void expectStandIns(const char* why) {
        platform::LogCapture log;
        for (auto navigation : {Vistrel::rootViewController(), Vistrel::cameraViewController()}) {
            ASSERT_TRUE(navigation);
            EXPECT_TRUE(navigation->viewControllers().empty());
        }
        EXPECT_TRUE(log.contains(why)) << why;
        EXPECT_EQ(log.count("Vistrel :: no screen to show; an empty navigation controller stands in"), 2u);
    }
};

}  // namespace

TEST_F(ScreenFactoriesTest, TheRootIsMainsInitialNavigationControllerShowingTheCameraWithItsButtons) {
    auto root = Vistrel::rootViewController();
    ASSERT_TRUE(root);
    ASSERT_EQ(root->viewControllers().size(), 1u);
    auto camera = std::dynamic_pointer_cast<CameraViewController>(root->topViewController());
    ASSERT_TRUE(camera);
    EXPECT_FALSE(camera->hideNavigationButtons);
    EXPECT_EQ(camera->storyboardIdentifier(), "CameraViewController");
    ASSERT_TRUE(root->storyboard());
    EXPECT_EQ(root->storyboard()->name(), "Main");
    // The camera screen decides the status bar through the navigation controller.
    EXPECT_EQ(root->effectiveStatusBarStyle(), platform::ui::StatusBarStyle::lightContent);
}

TEST_F(ScreenFactoriesTest, TheCameraAloneHidesItsButtonsBeforeItsViewLoadsAndIsNewEachTime) {
    auto first = Vistrel::cameraViewController();
    auto second = Vistrel::cameraViewController();
    ASSERT_EQ(first->viewControllers().size(), 1u);
    auto camera = std::dynamic_pointer_cast<CameraViewController>(first->topViewController());
    ASSERT_TRUE(camera);
    EXPECT_TRUE(camera->hideNavigationButtons);
    EXPECT_FALSE(camera->isViewLoaded());
    EXPECT_EQ(first->storyboard(), nullptr);  // a plain navigation controller of its own
    EXPECT_NE(first, second);
    EXPECT_NE(first->topViewController(), second->topViewController());

    auto direct = CameraViewController::instantiate();
    ASSERT_TRUE(direct);
    EXPECT_FALSE(direct->hideNavigationButtons);
}

TEST_F(ScreenFactoriesTest, AMissingBundleGivesEmptyNavigationControllers) {
    vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{});
    expectStandIns("the kit's bundle was not found");
    platform::LogCapture log;
    EXPECT_EQ(CameraViewController::instantiate(), nullptr);
}

TEST_F(ScreenFactoriesTest, AMissingStoryboardGivesEmptyNavigationControllers) {
    Vistrel::rootViewController();  // registered once, now taken away
    Storyboard::unregisterStoryboard("Main", vistrel::kBundleIdentifier);
    expectStandIns("no storyboard named \"Main\" in bundle \"io.vistrel.sdk\"");
}

TEST_F(ScreenFactoriesTest, AStoryboardWithoutTheCameraGivesEmptyNavigationControllers) {
    Vistrel::rootViewController();
    Storyboard::registerStoryboard("Main", std::string(vistrel::kBundleIdentifier), [](StoryboardDefinition& d) {
        d.setInitialViewController([](Storyboard&) { return std::make_shared<platform::ui::ViewController>(); });
    });
    expectStandIns("has no view controller with identifier \"CameraViewController\"");
    platform::LogCapture log;
    Vistrel::rootViewController();
    EXPECT_TRUE(log.contains("the initial screen of storyboard \"Main\" is no navigation controller"));
}

TEST_F(ScreenFactoriesTest, AnIdentifierHoldingAnotherKindOfScreenIsNoCamera) {
    Vistrel::rootViewController();
    Storyboard::registerStoryboard("Main", std::string(vistrel::kBundleIdentifier), [](StoryboardDefinition& d) {
        d.addViewController("CameraViewController",
                            [](Storyboard&) { return std::make_shared<platform::ui::ViewController>(); });
    });
    platform::LogCapture log;
    EXPECT_TRUE(Vistrel::cameraViewController()->viewControllers().empty());
    EXPECT_TRUE(log.contains("is no camera screen"));
}
