// The camera screen's ways away from scanning: the floating menu's two entries and the
// gallery button, and how embedded mode takes them away.
#include "camera_screen_fixture.hpp"
#include "fab/fab.hpp"
#include "screens/gallery_view_controller.hpp"
#include "screens/tutorial_view_controller.hpp"
#include "ui/info_view_controller.hpp"

namespace {

using namespace camerascreen;
using vistrel::tr;

using CameraMenuTest = CameraScreenTest;

// Each entry closes the menu, then presents its screen over the camera screen.
TEST_F(CameraMenuTest, MenuEntriesPresentTheTutorialAndTheAboutPage) {
    struct Case {
        std::size_t entry;
        const char* title;
        std::function<bool(const std::shared_ptr<ui::ViewController>&)> shows;
    };
    const std::vector<Case> cases = {
        {0, "camera.menu.tutorial",
         [](const auto& presented) { return std::dynamic_pointer_cast<vistrel::TutorialViewController>(presented) != nullptr; }},
        {1, "camera.menu.about",
         [](const auto& presented) {
             auto about = std::dynamic_pointer_cast<ui::NavigationController>(presented);
             return about && std::dynamic_pointer_cast<vistrel::InfoViewController>(about->viewControllers().front());
         }},
    };
    show();
    auto fab = screen->fabView.lock();
    ASSERT_TRUE(fab);
    ASSERT_EQ(fab->items().size(), 2u);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        auto item = fab->items()[c.entry];
        EXPECT_EQ(item->title(), tr(c.title));
        EXPECT_EQ(item->titleLabelPosition, vistrel::FabItemLabelPositionType::right);
        ui::tap(window, centreInWindow(*fab));
        time.advance(1s);
        ASSERT_FALSE(fab->closed());
        ui::tap(window, centreInWindow(*item));
        time.advance(1s);
        EXPECT_TRUE(fab->closed());
        auto presented = navigation->presentedViewController();
        EXPECT_TRUE(c.shows(presented));
        EXPECT_EQ(presented->presentingViewController(), navigation);
        navigation->dismiss(false);
        time.advance(1s);
    }
}

TEST_F(CameraMenuTest, GalleryButtonOpensTheGalleryOnItsRecentsTab) {
    show();
    ui::tap(window, centreInWindow(*screen->galleryButton.lock()));
    pumpUntil([] { return false; }, 5);
    auto gallery = std::dynamic_pointer_cast<vistrel::GalleryViewController>(navigation->topViewController());
    ASSERT_TRUE(gallery);
    EXPECT_EQ(gallery->option, vistrel::LibraryOption::recents);
}

// Embedded mode: scanning only, before and after a scan.
TEST_F(CameraMenuTest, EmbeddedScreenShowsNoMenuNorGallery) {
    show(true);
    EXPECT_EQ(controlsHidden(), navigationHidden(true));
    takePicture();  // not recognised
    EXPECT_EQ(controlsHidden(), navigationHidden(true));
}

}  // namespace
