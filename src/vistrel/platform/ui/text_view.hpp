#pragma once
// A text view: a block of text in one font, colour and alignment, wrapped at word
// boundaries to its width and laid from the top, inside its text container inset (8
// points above and below) and a line padding of 5 points on each side. Editable and
// selectable as flags for the screens to read: this headless view takes no typing.
#include <optional>
#include <string>

#include "vistrel/platform/graphics/font.hpp"
#include "vistrel/platform/graphics/text.hpp"
#include "vistrel/platform/ui/view.hpp"

namespace platform::ui {

class TextView : public View {
public:
    static constexpr double defaultFontSize = 12;
    static constexpr double lineFragmentPadding = 5;

    explicit TextView(const Rect& frame = {});

    const std::string& text() const { return text_; }
    void setText(std::string text);
    // The font; none set gives the system font at the default size.
    std::optional<graphics::Font> font() const;
    void setFont(std::optional<graphics::Font> font);
    Color textColor() const { return textColor_; }
    // None gives black.
    void setTextColor(std::optional<Color> color);
    graphics::TextAlignment textAlignment() const { return alignment_; }
    void setTextAlignment(graphics::TextAlignment alignment);
    EdgeInsets textContainerInset() const { return inset_; }
    void setTextContainerInset(EdgeInsets inset);

    // As on the phone, an editable view is selectable: making it editable makes it
    // selectable, making it unselectable makes it read-only.
    bool isEditable() const { return editable_; }
    void setEditable(bool editable);
    bool isSelectable() const { return selectable_; }
    void setSelectable(bool selectable);

    // The width offered (when it is a finite number above zero, else the current width)
    // and the height the wrapped text takes with the insets.
    Size sizeThatFits(Size size) const override;

protected:
    void drawContent(graphics::Canvas& canvas) const override;

private:
    graphics::AttributedString displayedText() const;
    graphics::TextLayoutOptions options(double width) const;
    // The text's width inside a view of `width`.
    double textWidth(double width) const;

    std::string text_;
    std::optional<graphics::Font> font_;
    Color textColor_ = Color::black();
    graphics::TextAlignment alignment_ = graphics::TextAlignment::natural;
    EdgeInsets inset_{8, 0, 8, 0};
    bool editable_ = true;
    bool selectable_ = true;
};

}  // namespace platform::ui
