#include "platform/graphics/text.hpp"

namespace platform::graphics {

Size measureText(const AttributedString&, const TextLayoutOptions&) { return {}; }

AttributedString makeAttributedString(std::string text, std::optional<Font> font, std::optional<Color> color) {
    TextAttributes attributes;
    attributes.font = std::move(font);
    attributes.foregroundColor = color;
    return AttributedString(std::move(text), std::move(attributes));
}

}  // namespace platform::graphics
