// Temporary definition so this branch links; the real dispatch replaces this file.
#include <string>

#include "platform/foundation/log.hpp"
#include "presentation/image_view_model.hpp"

namespace vistrel {

void ImageViewModel::handleActionAtPosition(std::intptr_t position,
                                            const std::shared_ptr<platform::ui::ViewController>& target) {
    (void)target;
    std::string line = "handleActionAtPosition ";
    line += std::to_string(position);
    platform::log(line);
}

}  // namespace vistrel
