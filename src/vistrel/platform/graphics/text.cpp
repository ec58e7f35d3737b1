#include "vistrel/platform/graphics/text.hpp"

#include "vistrel/platform/graphics/text_engine.hpp"
#include "vistrel/platform/graphics/text_layout.hpp"

namespace platform::graphics {

Size measureText(const AttributedString& text, const TextLayoutOptions& options) {
    if (text.text().empty()) return {};
    std::lock_guard lock(textLock());
    return TextLayout(text, options, options.maxWidth).size();
}

AttributedString makeAttributedString(std::string text, std::optional<Font> font, std::optional<Color> color) {
    TextAttributes attributes;
    attributes.font = std::move(font);
    attributes.foregroundColor = color;
    return AttributedString(std::move(text), std::move(attributes));
}

}  // namespace platform::graphics
