// The camera screen itself: how it looks, the photo migration it opens, the version
// swipe and the flash.
#include "camera_screen_fixture.hpp"
#include "core/palette.hpp"
#include "platform/camera/capture_device.hpp"
#include "platform/graphics/bitmap.hpp"
#include "platform/ui/alert_controller.hpp"
#include "platform/ui/render.hpp"
#include "store/migration_view_controller.hpp"

namespace {

using namespace camerascreen;
using platform::graphics::Color;

using CameraScreenLookTest = CameraScreenTest;

bool near(const Color& a, const Color& b) {
    const double e = 12.0 / 255;
    return std::abs(a.r - b.r) < e && std::abs(a.g - b.g) < e && std::abs(a.b - b.b) < e;
}

TEST_F(CameraScreenLookTest, PreviewShowsWhatTheCameraSeesUnderTheControls) {
    service.set(vistrel::ConfigurationKey::primaryColor, "#D02040");
    service.set(vistrel::ConfigurationKey::whiteColor, "#FFFFFF");
    show();
    auto bitmap = ui::render(*window, 1.0);
    ASSERT_TRUE(bitmap);
    // The still (a plain blue) fills the preview; the status bar has no bar over it.
    EXPECT_TRUE(near(bitmap->pixel(187, 200), plainBlue));
    // The shutter: a white ring around the theme's primary colour.
    auto shutter = screen->photoView.lock();
    const auto frame = shutter->convertRect(shutter->bounds(), nullptr);
    EXPECT_TRUE(near(bitmap->pixel(int(frame.midX()), int(frame.minY() + 1)), Color::white()));
    EXPECT_TRUE(near(bitmap->pixel(int(frame.minX() + 12), int(frame.midY())), vistrel::vistrelPrimary()));
    EXPECT_TRUE(navigation->isNavigationBarHidden());
}

// The migration opens once the screen is in a window and has appeared, and is not tried
// again by the same screen when it closes unfinished.
TEST_F(CameraScreenLookTest, MigrationOpensAtTheFirstAppearanceOnly) {
    vistrel::VistrelPref::setHasBeenMigrated(false);
    navigation = vistrel::Vistrel::rootViewController();
    screen = std::dynamic_pointer_cast<vistrel::CameraViewController>(navigation->viewControllers().front());
    screen->loadViewIfNeeded();  // loaded outside any window: nothing can be presented yet
    pumpUntil([] { return false; }, 5);
    EXPECT_FALSE(navigation->presentedViewController());
    EXPECT_FALSE(log.contains("Warning"));

    window->setRootViewController(navigation);
    window->makeKeyAndVisible();
    EXPECT_TRUE(std::dynamic_pointer_cast<vistrel::MigrationViewController>(navigation->presentedViewController()));
    pumpUntil([&] { return !navigation->presentedViewController(); });
    EXPECT_TRUE(vistrel::VistrelPref::hasBeenMigrated());

    // Had it closed unfinished, the screen would not bring it back at every appearance.
    vistrel::VistrelPref::setHasBeenMigrated(false);
    navigation->pushViewController(std::make_shared<ui::ViewController>(), false);
    navigation->popViewController(false);
    pumpUntil([] { return false; }, 5);
    EXPECT_EQ(screen->appearanceState(), ui::AppearanceState::appeared);
    EXPECT_FALSE(navigation->presentedViewController());
}

TEST_F(CameraScreenLookTest, RightSwipeShowsTheVersionAndBuild) {
    struct Case {
        bool configured;
        const char* title;
        const char* message;
    };
    show();
    for (const Case& c : {Case{true, "SDK version : 2.4.1", "SDK build version : 812"},
                          Case{false, "SDK version : ", "SDK build version : "}}) {
        if (c.configured)
            service.set(vistrel::ConfigurationKey::sdkBuildVersion, "812");
        else
            vistrel::SdkConfiguration::resetShared(platform::Dictionary{});
        ui::swipe(window, {300, 300}, {100, 300});  // to the left: nothing
        EXPECT_FALSE(navigation->presentedViewController());
        ui::swipe(window, {100, 300}, {300, 300});
        auto alert = std::dynamic_pointer_cast<ui::AlertController>(navigation->presentedViewController());
        ASSERT_TRUE(alert);
        EXPECT_EQ(alert->title(), c.title);
        EXPECT_EQ(alert->message(), c.message);
        EXPECT_EQ(alert->actions().size(), 1u);
        alert->tapAction(0);
        time.advance(1s);
    }
}

TEST_F(CameraScreenLookTest, FlashButtonSwitchesTheTorchAndKeepsItsGlyph) {
    show();
    auto flash = screen->flashButton.lock();
    const auto glyph = flash->title(ui::ControlState::normal);
    ASSERT_TRUE(glyph);
    for (bool on : {true, false}) {
        ui::tap(window, centreInWindow(*flash));
        EXPECT_EQ(screen->cameraController->rearCamera()->isTorchActive(), on);
        EXPECT_EQ(flash->title(ui::ControlState::normal), glyph);
    }
}

}  // namespace
