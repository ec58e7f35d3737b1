// The camera screen's ways away from scanning: the floating menu's entries (the tutorial
// and the about page) and the gallery button.
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/fab/fab.hpp"
#include "vistrel/platform/ui/image_named.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/screens/about/info_view_controller.hpp"
#include "vistrel/screens/camera/camera_view_controller.hpp"
#include "vistrel/screens/gallery/gallery_view_controller.hpp"
#include "vistrel/screens/tutorial/tutorial_view_controller.hpp"

namespace vistrel {

// The entries hold the screen weakly: the screen's view holds the menu, which holds them.
void CameraViewController::addMenuEntries() {
    auto fab = fabView.lock();
    if (!fab) return;
    auto bundle = vistrelBundle();
    std::weak_ptr<CameraViewController> weakScreen = self();
    fab->addItem(tr("camera.menu.tutorial"), platform::ui::imageNamed("question_mark", bundle.get()),
                 [weakScreen](FabItem&) {
                     if (auto screen = weakScreen.lock()) screen->present(TutorialViewController::instance(), true);
                 });
    fab->addItem(tr("camera.menu.about"), platform::ui::imageNamed("info", bundle.get()), [weakScreen](FabItem&) {
        if (auto screen = weakScreen.lock())
            screen->present(std::make_shared<platform::ui::NavigationController>(InfoViewController::instance()), true);
    });
}

void CameraViewController::showGallery() {
    auto navigation = navigationController();
    if (!navigation) return;
    auto gallery = GalleryViewController::instance();
    gallery->option = LibraryOption::recents;
    navigation->pushViewController(gallery, true);
}

}  // namespace vistrel
