#include "screens/gallery_view_controller.hpp"

namespace vistrel {

std::shared_ptr<GalleryViewController> GalleryViewController::instance() {
    return std::make_shared<GalleryViewController>();
}

}  // namespace vistrel
