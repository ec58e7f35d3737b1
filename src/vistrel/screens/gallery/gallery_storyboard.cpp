#include "vistrel/screens/gallery/gallery_storyboard.hpp"

#include <string>

#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/ui/storyboard.hpp"
#include "vistrel/screens/common/kit_storyboard.hpp"
#include "vistrel/screens/gallery/empty_collection_view_cell.hpp"
#include "vistrel/screens/gallery/gallery_content_view_controller.hpp"
#include "vistrel/screens/gallery/gallery_view_controller.hpp"
#include "vistrel/screens/gallery/image_collection_view_cell.hpp"

namespace vistrel {

void registerGalleryStoryboard() {
    using platform::ui::Storyboard;
    using platform::ui::StoryboardDefinition;
    Storyboard::registerStoryboard(
        std::string(kGalleryStoryboardName), std::string(kBundleIdentifier), [](StoryboardDefinition& gallery) {
            gallery.setInitialViewController([](Storyboard&) { return std::make_shared<GalleryViewController>(); });
            gallery.addViewController(std::string(kGalleryContentViewControllerIdentifier), [](Storyboard&) {
                auto page = std::make_shared<GalleryContentViewController>();
                page->cardPrototype = [] { return makeImageCollectionViewCell(); };
                page->emptyPrototype = [] { return makeEmptyCollectionViewCell(); };
                return page;
            });
        });
}

std::shared_ptr<platform::ui::Storyboard> galleryStoryboard() {
    return kitStoryboard(kGalleryStoryboardName, registerGalleryStoryboard);
}

}  // namespace vistrel
