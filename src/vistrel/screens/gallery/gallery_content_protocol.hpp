#pragma once
// How a gallery tab page reports to the gallery screen.
#include <memory>

#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/screens/gallery/library_option.hpp"
#include "vistrel/store/vistrel_image.hpp"

namespace vistrel {

class GalleryContentProtocol {
public:
    virtual ~GalleryContentProtocol() = default;
    // A record was opened outside edition mode: its stored photo, the record, the tab.
    virtual void didSelectImagePicture(const platform::graphics::Image& picture, std::shared_ptr<VistrelImage> vistrelImage,
                                       LibraryOption libraryOption) = 0;
    // The user confirmed the deletion of the record.
    virtual void deleteImage(std::shared_ptr<VistrelImage> image) = 0;
    // A record's favourite mark was flipped in memory; the store has not saved it yet.
    virtual void didChangeFavorites() = 0;
};

}  // namespace vistrel
