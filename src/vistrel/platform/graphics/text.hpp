#pragma once
// Text layout: measuring and the options that drawing shares (see Canvas::drawText).
// Sizes are in points and identical from run to run for the same fonts.
#include <optional>
#include <string>

#include "vistrel/platform/graphics/attributed_string.hpp"
#include "vistrel/platform/graphics/geometry.hpp"

namespace platform::graphics {

enum class LineBreakMode { wordWrap, charWrap, clip, truncateHead, truncateTail, truncateMiddle };

struct TextLayoutOptions {
    std::optional<double> maxWidth;  // none: lines break only at line ends
    int numberOfLines = 0;           // 0: no limit
    LineBreakMode lineBreakMode = LineBreakMode::wordWrap;
    TextAlignment alignment = TextAlignment::natural;  // where the text sets none
};

// Text with no font attribute is set in the default font at this size.
inline constexpr double defaultTextFontSize = 12;

// The size the laid-out text takes: the widest line and the height of the lines kept
// (all lines are laid out without a height limit, then the line limit applies). Empty
// text measures 0 x 0.
Size measureText(const AttributedString& text, const TextLayoutOptions& options = {});

// The text with the font (if any) and the colour (if any) over its whole length.
AttributedString makeAttributedString(std::string text, std::optional<Font> font = std::nullopt,
                                      std::optional<Color> color = std::nullopt);

}  // namespace platform::graphics
