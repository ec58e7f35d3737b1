#include <gtest/gtest.h>

#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/entry/vistrel.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/storyboard.hpp"
#include "vistrel/screens/camera/camera_view_controller.hpp"
#include "vistrel/screens/camera/main_storyboard.hpp"

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
};

}  // namespace

TEST_F(ScreenFactoriesTest, TheRootIsMainsInitialNavigationControllerShowingTheCameraWithItsButtons) {
    auto root = Vistrel::rootViewController();
    ASSERT_TRUE(root);
    ASSERT_EQ(root->viewControllers().size(), 1u);
    auto camera = std::dynamic_pointer_cast<CameraViewController>(root->topViewController());
    ASSERT_TRUE(camera);
    EXPECT_EQ(std::tuple(camera->hideNavigationButtons, camera->storyboardIdentifier()), std::tuple(false, "CameraViewController"));
    ASSERT_TRUE(root->storyboard());
    EXPECT_EQ(root->storyboard()->name(), "Main");
    // The camera screen decides the status bar and the orientations through the navigation controller.
    EXPECT_EQ(std::tuple(root->effectiveStatusBarStyle(), root->supportedInterfaceOrientations()),
              std::tuple(platform::ui::StatusBarStyle::lightContent, platform::ui::InterfaceOrientationMask::portrait));
}

TEST_F(ScreenFactoriesTest, TheCameraAloneHidesItsButtonsBeforeItsViewLoadsAndIsNewEachTime) {
    auto first = Vistrel::cameraViewController();
    auto second = Vistrel::cameraViewController();
    ASSERT_EQ(first->viewControllers().size(), 1u);
    auto camera = std::dynamic_pointer_cast<CameraViewController>(first->topViewController());
    ASSERT_TRUE(camera);
    EXPECT_EQ(std::pair(camera->hideNavigationButtons, camera->isViewLoaded()), std::pair(true, false));
    EXPECT_EQ(first->storyboard(), nullptr);  // a navigation controller of its own
    EXPECT_EQ(first->supportedInterfaceOrientations(), platform::ui::InterfaceOrientationMask::portrait);
    EXPECT_TRUE(first != second && first->topViewController() != second->topViewController());

    auto direct = CameraViewController::instantiate();
    ASSERT_TRUE(direct);
    EXPECT_FALSE(direct->hideNavigationButtons);
}

TEST_F(ScreenFactoriesTest, WithoutACameraScreenToShowBothGiveEmptyNavigationControllers) {
    auto replaceMain = [](std::function<void(StoryboardDefinition&)> describe) {
        Vistrel::rootViewController();  // registered once, now replaced or taken away
        if (describe)
            Storyboard::registerStoryboard("Main", std::string(vistrel::kBundleIdentifier), std::move(describe));
        else
            Storyboard::unregisterStoryboard("Main", vistrel::kBundleIdentifier);
    };
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"no bundle", [] { vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{}); }},
        {"no storyboard", [&] { replaceMain(nullptr); }},
        {"an initial screen that is no navigation controller, and no camera", [&] {
             replaceMain([](StoryboardDefinition& d) {
                 d.setInitialViewController([](Storyboard&) { return std::make_shared<platform::ui::ViewController>(); });
             });
         }},
        {"another kind of screen under the camera's identifier", [&] {
             replaceMain([](StoryboardDefinition& d) {
                 d.addViewController("CameraViewController",
                                     [](Storyboard&) { return std::make_shared<platform::ui::ViewController>(); });
             });
         }},
    };
    for (const auto& [name, breakIt] : cases) {
        SCOPED_TRACE(name);
        breakIt();
        platform::LogCapture log;
        for (auto navigation : {Vistrel::rootViewController(), Vistrel::cameraViewController()}) {
            ASSERT_TRUE(navigation);
            EXPECT_EQ(std::tuple(navigation->viewControllers().empty(), navigation->supportedInterfaceOrientations()),
                      std::tuple(true, platform::ui::InterfaceOrientationMask::portrait));
        }
        TearDown();
        SetUp();
    }
    vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{});
    platform::LogCapture log;
    EXPECT_EQ(CameraViewController::instantiate(), nullptr);
}
