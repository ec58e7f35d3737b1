#include "vistrel/presentation/style_font.hpp"

#include <algorithm>
#include <cmath>

#include "vistrel/platform/graphics/font_registry.hpp"
#include "vistrel/presentation/display_limits.hpp"

namespace vistrel::style_font {

double usablePointSize(double pointSize, double defaultSize) {
    if (!std::isfinite(pointSize) || pointSize <= 0) pointSize = defaultSize;
    return std::min(pointSize, display_limits::maximumFontSize);
}

std::optional<platform::graphics::Font> fontNamed(std::string_view name, double pointSize, double defaultSize) {
    double size = usablePointSize(pointSize, defaultSize);
    const auto& registry = platform::graphics::FontRegistry::shared();
    if (auto font = registry.font(name, size)) return font;
    return registry.defaultFont(size);
}

}  // namespace vistrel::style_font
