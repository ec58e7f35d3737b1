#include "vistrel/platform/ui/label.hpp"

#include <cmath>

#include "vistrel/platform/graphics/canvas.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"
#include "vistrel/platform/ui/screen.hpp"

namespace platform::ui {

namespace {

double roundUpToPixels(double points) {
    const double scale = Screen::main().scale();
    return std::ceil(points * scale - 1e-9) / scale;
}

}  // namespace

Label::Label(const Rect& frame) : View(frame) { setUserInteractionEnabled(false); }

std::optional<std::string> Label::text() const {
    if (attributedText_) return attributedText_->text();
    return text_;
}

void Label::setText(std::optional<std::string> text) {
    text_ = std::move(text);
    attributedText_.reset();
    textChanged();
}

std::optional<AttributedString> Label::attributedText() const {
    if (attributedText_) return attributedText_;
    if (!text_) return std::nullopt;
    return displayedText();
}

void Label::setAttributedText(std::optional<AttributedString> text) {
    attributedText_ = std::move(text);
    text_.reset();
    textChanged();
}

std::optional<Font> Label::font() const {
    if (font_) return font_;
    return graphics::FontRegistry::shared().defaultFont(defaultFontSize);
}

void Label::setFont(std::optional<Font> font) {
    font_ = std::move(font);
    textChanged();
}

void Label::setTextColor(std::optional<Color> color) {
    textColor_ = color.value_or(Color::black());
    textChanged();
}

void Label::setTextAlignment(TextAlignment alignment) {
    alignment_ = alignment;
    textChanged();
}

void Label::setNumberOfLines(int lines) {
    numberOfLines_ = lines < 0 ? 0 : lines;
    textChanged();
}

void Label::setLineBreakMode(LineBreakMode mode) {
    lineBreakMode_ = mode;
    textChanged();
}

void Label::textChanged() {
    measured_.reset();
    setNeedsDisplay();
}

Size Label::measure(const AttributedString& text, const graphics::TextLayoutOptions& options) const {
    if (!measured_ || measured_->first != options.maxWidth)
        measured_.emplace(options.maxWidth, graphics::measureText(text, options));
    return measured_->second;
}

AttributedString Label::displayedText() const {
    const std::string& text = attributedText_ ? attributedText_->text() : text_ ? *text_ : std::string();
    graphics::TextAttributes base;
    base.font = font();
    base.foregroundColor = textColor_;
    base.alignment = alignment_;
    AttributedString result(text, base);
    if (attributedText_)
        for (const auto& run : attributedText_->runs()) result.addAttributes(run.attributes, run.location, run.length);
    return result;
}

graphics::TextLayoutOptions Label::options(std::optional<double> width) const {
    graphics::TextLayoutOptions options;
    if (width && std::isfinite(*width) && *width > 0) options.maxWidth = *width;
    options.numberOfLines = numberOfLines_;
    options.lineBreakMode = lineBreakMode_;
    options.alignment = alignment_;
    return options;
}

Size Label::sizeThatFits(Size size) const {
    const AttributedString text = displayedText();
    if (text.length() == 0) return {0, 0};
    // One line never wraps: it measures its whole width.
    const std::optional<double> width = numberOfLines_ == 1 ? std::nullopt : std::optional<double>(size.width);
    const Size measured = measure(text, options(width));
    return {roundUpToPixels(measured.width), roundUpToPixels(measured.height)};
}

void Label::drawContent(graphics::Canvas& canvas) const {
    const AttributedString text = displayedText();
    if (text.length() == 0) return;
    const Rect b = bounds();
    const auto layout = options(b.width());
    const Size measured = measure(text, layout);
    canvas.drawText(text, Rect{b.minX(), b.midY() - measured.height / 2, b.width(), measured.height}, layout);
}

}  // namespace platform::ui
