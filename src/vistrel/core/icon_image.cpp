#include "vistrel/core/icon_image.hpp"

#include <cmath>
#include <string>

#include "vistrel/core/icon_font.hpp"
#include "vistrel/platform/graphics/image_context.hpp"

namespace vistrel {

using namespace platform::graphics;

std::optional<AttributedString> stringFromIcon(std::string_view icon, double size, std::optional<Color> color) {
    auto font = iconFontWithSize(size);
    if (!font) return std::nullopt;
    TextAttributes attributes;
    attributes.font = std::move(font);
    attributes.foregroundColor = color;
    return AttributedString(std::string(icon), std::move(attributes));
}

std::optional<Image> imageFromIcon(std::string_view icon, double size, std::optional<Color> color) {
    // Checked before anything is allocated: a huge or invalid size must not reach the
    // image context's memory.
    if (!std::isfinite(size) || size <= 0 || size > kMaxIconImageSize) return std::nullopt;
    auto text = stringFromIcon(icon, size, color);
    if (!text) return std::nullopt;
    TextAttributes centred;
    centred.alignment = TextAlignment::center;
    text->addAttributes(centred);

    ImageContext context({size, size}, false, 0);
    context.canvas().drawText(*text, Rect(0, 0, size, size));
    return context.image();
}

std::optional<Image> imageWithColor(const Color& colour) {
    ImageContext context({1, 1}, false, 0);
    context.canvas().fill(Rect(0, 0, 1, 1), colour);
    return context.image();
}

}  // namespace vistrel
