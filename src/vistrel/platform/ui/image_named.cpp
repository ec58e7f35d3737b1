#include "vistrel/platform/ui/image_named.hpp"

#include <string>

#include "vistrel/platform/foundation/bundle.hpp"

namespace platform::ui {

std::optional<graphics::Image> imageNamed(std::string_view name, const Bundle* bundle) {
    if (!bundle || name.empty()) return std::nullopt;
    for (auto [suffix, scale] : {std::pair{"@2x.png", 2.0}, std::pair{".png", 1.0}}) {
        std::string file(name);
        file += suffix;
        if (auto path = bundle->pathForResource(file)) {
            if (auto image = graphics::Image::fromFile(*path, scale)) return image;
        }
    }
    return std::nullopt;
}

}  // namespace platform::ui
