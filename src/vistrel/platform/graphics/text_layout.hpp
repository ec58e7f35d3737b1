#pragma once
// One laid-out text (internal to platform/graphics; pulls in Pango). Make, measure and
// draw it with textLock() held.
//
// Short text is one engine layout. Longer text is laid out in pieces of a few kilobytes
// stacked one under the other, so that no engine layout grows past what the engine does in
// time linear in its length or measures without overflowing: a piece ends after a
// paragraph where it can, else its last line is laid out again at the start of the next
// piece. A piece that goes on with a paragraph starts with the paragraph's direction and
// the embeddings, overrides and isolates open there (open_embeddings.hpp). Words wider
// than a line get their line ends put in (long_word_breaks.hpp).
#include <pango/pangocairo.h>

#include <optional>
#include <vector>

#include "vistrel/platform/graphics/attributed_string.hpp"
#include "vistrel/platform/graphics/geometry.hpp"
#include "vistrel/platform/graphics/text.hpp"

namespace platform::graphics {

class TextSource;

class TextLayout {
public:
    // `width`: the width lines wrap at and align in; none for unlimited. `depth`: when
    // given, lines are laid out only down to this far below the top (enough to draw
    // them, not to measure).
    TextLayout(const AttributedString& text, const TextLayoutOptions& options, std::optional<double> width,
               std::optional<double> depth = std::nullopt);
    ~TextLayout();
    TextLayout(const TextLayout&) = delete;
    TextLayout& operator=(const TextLayout&) = delete;

    // The widest kept line and the height down to the last kept line's bottom.
    Size size() const;
    // Draws the kept lines that reach into the clip, with the top of the layout at
    // `origin`; text without a colour takes `cr`'s current source.
    void draw(cairo_t* cr, Point origin) const;

private:
    struct Line {
        PangoLayoutLine* line;  // owned by one of pieces_
        double x, top, height, width, baseline;  // in points, from the layout's top left
        double inkTop, inkBottom;
    };
    struct Settings;

    // Lays out the piece that starts at source byte `begin` and keeps its lines; returns
    // where the next piece starts (the source's size when done).
    std::size_t layOutPiece(const TextSource& source, Settings& settings, std::size_t begin);
    void alignUnwrappedLines(const Settings& settings);

    std::vector<PangoLayout*> pieces_;
    std::vector<Line> lines_;
    int lineLimit_ = 0;
};

}  // namespace platform::graphics
