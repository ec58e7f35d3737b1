#pragma once
// The kit's storyboard "Gallery": the gallery screen as its initial controller, and the
// tab page "GalleryContentViewController" with its two prototype cells,
// "ImageCollectionViewCell" (a record's card) and "EmptyCollectionViewCell" (the empty
// tab's placeholder).
#include <memory>
#include <string_view>

namespace platform::ui {
class Storyboard;
}

namespace vistrel {

inline constexpr std::string_view kGalleryStoryboardName = "Gallery";
inline constexpr std::string_view kGalleryContentViewControllerIdentifier = "GalleryContentViewController";

// Registers (or registers again) "Gallery" as a storyboard of the kit's bundle.
void registerGalleryStoryboard();

// "Gallery" from the kit's bundle, registered on first use. None, with a log line, when
// the bundle or the storyboard is missing.
std::shared_ptr<platform::ui::Storyboard> galleryStoryboard();

}  // namespace vistrel
