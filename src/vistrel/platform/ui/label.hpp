#pragma once
// A label: text (plain or attributed) in a font and colour, aligned, on a number of
// lines (0: as many as it needs). Its text is centred vertically in its bounds.
#include <optional>
#include <string>
#include <utility>

#include "vistrel/platform/graphics/attributed_string.hpp"
#include "vistrel/platform/graphics/font.hpp"
#include "vistrel/platform/graphics/text.hpp"
#include "vistrel/platform/ui/view.hpp"

namespace platform::ui {

using graphics::AttributedString;
using graphics::Font;
using graphics::LineBreakMode;
using graphics::TextAlignment;

class Label : public View {
public:
    static constexpr double defaultFontSize = 17;

    explicit Label(const Rect& frame = {});

    // The plain text (the attributed text's, when that was set).
    std::optional<std::string> text() const;
    // Replaces the text and any attributed text.
    void setText(std::optional<std::string> text);
    // The attributed text as set, or the plain text with the label's attributes.
    std::optional<AttributedString> attributedText() const;
    // Replaces the text; what its runs leave unset comes from the label.
    void setAttributedText(std::optional<AttributedString> text);

    // The font; none set gives the system font at the default size (none only when no
    // font file can be loaded at all).
    std::optional<Font> font() const;
    void setFont(std::optional<Font> font);
    Color textColor() const { return textColor_; }
    // None gives black.
    void setTextColor(std::optional<Color> color);
    TextAlignment textAlignment() const { return alignment_; }
    void setTextAlignment(TextAlignment alignment);
    int numberOfLines() const { return numberOfLines_; }
    // 0: no limit; a negative count counts as 0.
    void setNumberOfLines(int lines);
    LineBreakMode lineBreakMode() const { return lineBreakMode_; }
    void setLineBreakMode(LineBreakMode mode);

    // The size the text takes, wrapped at `size.width` (when it is a finite width above
    // zero and the label has more than one line), rounded up to whole pixels of the main
    // screen. The height given is never used: the lines are measured without a height
    // limit, then the line limit applies.
    Size sizeThatFits(Size size) const override;

protected:
    void drawContent(graphics::Canvas& canvas) const override;

private:
    AttributedString displayedText() const;
    graphics::TextLayoutOptions options(std::optional<double> width) const;
    // The text's size with these options, kept from the last call with the same width
    // until the text or its look changes: drawing measures what fitting measured, and a
    // long text takes a while.
    Size measure(const AttributedString& text, const graphics::TextLayoutOptions& options) const;
    void textChanged();

    std::optional<std::string> text_;
    std::optional<AttributedString> attributedText_;
    std::optional<Font> font_;
    Color textColor_ = Color::black();
    TextAlignment alignment_ = TextAlignment::natural;
    int numberOfLines_ = 1;
    LineBreakMode lineBreakMode_ = LineBreakMode::truncateTail;
    mutable std::optional<std::pair<std::optional<double>, Size>> measured_;  // width, size
};

}  // namespace platform::ui
