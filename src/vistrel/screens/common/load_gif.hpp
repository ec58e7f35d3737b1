#pragma once
// Shows a GIF of the host program's bundle in an image view, decoded off the main thread.
#include <memory>
#include <string>

#include "vistrel/platform/ui/image_view.hpp"

namespace vistrel {

// Returns at once: GlintGif::gifNamed runs on the global queue, then the main queue sets
// the view's image to the result (none clears it). The view is kept until then.
void loadGif(std::shared_ptr<platform::ui::ImageView> view, std::string name);

}  // namespace vistrel
