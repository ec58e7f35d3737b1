#pragma once
// The scan history screen.
#include <memory>

#include "screens/library_option.hpp"
#include "ui/vistrel_view_controller.hpp"

namespace vistrel {

class GalleryViewController : public VistrelViewController {
public:
    static std::shared_ptr<GalleryViewController> instance();

    // The tab the screen opens on.
    LibraryOption option = LibraryOption::recents;
};

}  // namespace vistrel
