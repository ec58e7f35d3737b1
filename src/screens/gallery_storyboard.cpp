#include "screens/gallery_storyboard.hpp"

#include <string>

#include "core/vistrel_bundle.hpp"
#include "platform/ui/storyboard.hpp"
#include "screens/empty_collection_view_cell.hpp"
#include "screens/gallery_content_view_controller.hpp"
#include "screens/gallery_view_controller.hpp"
#include "screens/image_collection_view_cell.hpp"
#include "screens/kit_storyboard.hpp"

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
