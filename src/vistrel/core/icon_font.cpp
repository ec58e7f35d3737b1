#include "vistrel/core/icon_font.hpp"

#include "vistrel/platform/graphics/font_registry.hpp"

namespace vistrel {

std::optional<platform::graphics::Font> iconFontWithSize(double size) {
    return platform::graphics::FontRegistry::shared().font("icomoon", size);
}

}  // namespace vistrel
