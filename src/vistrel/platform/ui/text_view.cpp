#include "vistrel/platform/ui/text_view.hpp"

#include <algorithm>
#include <cmath>

#include "vistrel/platform/graphics/canvas.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"

namespace platform::ui {

TextView::TextView(const Rect& frame) : View(frame) {}

void TextView::setText(std::string text) {
    text_ = std::move(text);
    setNeedsDisplay();
}

std::optional<graphics::Font> TextView::font() const {
    if (font_) return font_;
    return graphics::FontRegistry::shared().defaultFont(defaultFontSize);
}

void TextView::setFont(std::optional<graphics::Font> font) {
    font_ = std::move(font);
    setNeedsDisplay();
}

void TextView::setTextColor(std::optional<Color> color) {
    textColor_ = color.value_or(Color::black());
    setNeedsDisplay();
}

void TextView::setTextAlignment(graphics::TextAlignment alignment) {
    alignment_ = alignment;
    setNeedsDisplay();
}

void TextView::setTextContainerInset(EdgeInsets inset) {
    inset_ = inset;
    setNeedsDisplay();
}

void TextView::setEditable(bool editable) {
    editable_ = editable;
    if (editable) selectable_ = true;
}

void TextView::setSelectable(bool selectable) {
    selectable_ = selectable;
    if (!selectable) editable_ = false;
}

graphics::AttributedString TextView::displayedText() const {
    graphics::TextAttributes attributes;
    attributes.font = font();
    attributes.foregroundColor = textColor_;
    attributes.alignment = alignment_;
    return graphics::AttributedString(text_, attributes);
}

graphics::TextLayoutOptions TextView::options(double width) const {
    graphics::TextLayoutOptions options;
    options.maxWidth = width;
    options.lineBreakMode = graphics::LineBreakMode::wordWrap;
    options.alignment = alignment_;
    return options;
}

double TextView::textWidth(double width) const {
    return std::max(0.0, width - inset_.left - inset_.right - 2 * lineFragmentPadding);
}

Size TextView::sizeThatFits(Size size) const {
    const double width = std::isfinite(size.width) && size.width > 0 ? size.width : bounds().width();
    const Size text = text_.empty() ? Size{} : graphics::measureText(displayedText(), options(textWidth(width)));
    return {width, std::ceil(text.height + inset_.top + inset_.bottom)};
}

void TextView::drawContent(graphics::Canvas& canvas) const {
    if (text_.empty()) return;
    const Rect b = bounds();
    const double width = textWidth(b.width());
    if (!(width > 0)) return;
    const Rect area{b.minX() + inset_.left + lineFragmentPadding, b.minY() + inset_.top, width,
                    std::max(0.0, b.height() - inset_.top - inset_.bottom)};
    canvas.save();
    canvas.clip(b);
    canvas.drawText(displayedText(), area, options(width));
    canvas.restore();
}

}  // namespace platform::ui
