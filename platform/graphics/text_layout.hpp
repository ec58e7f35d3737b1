#pragma once
// One laid-out text (internal to platform/graphics; pulls in Pango). Make, measure and
// draw it with textLock() held.
#include <pango/pangocairo.h>

#include "platform/graphics/attributed_string.hpp"
#include "platform/graphics/geometry.hpp"
#include "platform/graphics/text.hpp"

namespace platform::graphics {

class TextLayout {
public:
    // `width`: the width lines wrap at and align in; none for unlimited.
    TextLayout(const AttributedString& text, const TextLayoutOptions& options, std::optional<double> width);
    ~TextLayout();
    TextLayout(const TextLayout&) = delete;
    TextLayout& operator=(const TextLayout&) = delete;

    // The widest kept line and the height down to the last kept line's bottom.
    Size size() const;
    // Draws the kept lines with the top of the layout at `origin`; text without a
    // colour takes `cr`'s current source.
    void draw(cairo_t* cr, Point origin) const;

private:
    int keptLines() const;

    PangoLayout* layout_ = nullptr;
    int lineLimit_ = 0;
    bool empty_ = true;
};

}  // namespace platform::graphics
