#include "vistrel/screens/common/load_gif.hpp"

#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/screens/common/glint_gif.hpp"

namespace vistrel {

void loadGif(std::shared_ptr<platform::ui::ImageView> view, std::string name) {
    platform::dispatch::global().async([view = std::move(view), name = std::move(name)]() mutable {
        auto image = GlintGif::gifNamed(name);
        platform::dispatch::main().async(
            [view = std::move(view), image = std::move(image)]() mutable { view->setImage(std::move(image)); });
    });
}

}  // namespace vistrel
