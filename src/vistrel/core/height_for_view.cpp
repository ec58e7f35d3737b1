#include "vistrel/core/height_for_view.hpp"

#include <cmath>

#include "vistrel/platform/ui/label.hpp"

namespace vistrel {

double heightForView(const std::string& text, const platform::graphics::Font& font, double width,
                     int numberOfLines) {
    // The label's own fitting measures its lines without a height limit, so the height
    // it is offered (the largest there is, for a label that may grow) is never turned
    // into anything: only the width is handed on.
    platform::ui::Label label;
    label.setNumberOfLines(numberOfLines);
    label.setLineBreakMode(platform::graphics::LineBreakMode::wordWrap);
    label.setFont(font);
    label.setText(text);
    const double wrapWidth = std::isfinite(width) && width > 0 ? width : 0;
    return label.sizeThatFits({wrapWidth, std::numeric_limits<double>::max()}).height;
}

}  // namespace vistrel
