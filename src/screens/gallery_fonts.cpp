#include "screens/gallery_fonts.hpp"

#include "platform/graphics/font_registry.hpp"

namespace vistrel {

std::optional<platform::graphics::Font> galleryTextFont(double pointSize) {
    return platform::graphics::FontRegistry::shared().defaultFont(pointSize);
}

}  // namespace vistrel
