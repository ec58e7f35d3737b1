#include "vistrel/platform/graphics/text_layout.hpp"

#include <algorithm>
#include <climits>
#include <cmath>

#include "vistrel/platform/graphics/long_word_breaks.hpp"
#include "vistrel/platform/graphics/open_embeddings.hpp"
#include "vistrel/platform/graphics/text_engine.hpp"
#include "vistrel/platform/graphics/text_source.hpp"
#include "vistrel/platform/foundation/utf_encodings.hpp"

namespace platform::graphics {

namespace {

// A piece's usual length in bytes. A piece never holds more bytes than this many points
// over the text's largest font size (a character is rarely wider than its size, or a line
// of one character much higher), which keeps an engine layout's widths and heights (ints
// of 1/1024 point, so at most about two million points) from overflowing.
constexpr std::size_t kPieceBytes = 4096;
constexpr double kPieceExtent = 1 << 20;
// Words shorter than this are left to the engine, which lays them out quickly enough.
constexpr std::size_t kLongWordBytes = 256;

PangoAlignment pangoAlignment(TextAlignment alignment) {
    switch (alignment) {
        case TextAlignment::center: return PANGO_ALIGN_CENTER;
        case TextAlignment::right: return PANGO_ALIGN_RIGHT;
        default: return PANGO_ALIGN_LEFT;
    }
}

PangoEllipsizeMode ellipsizing(LineBreakMode mode) {
    switch (mode) {
        case LineBreakMode::truncateHead: return PANGO_ELLIPSIZE_START;
        case LineBreakMode::truncateTail: return PANGO_ELLIPSIZE_END;
        case LineBreakMode::truncateMiddle: return PANGO_ELLIPSIZE_MIDDLE;
        default: return PANGO_ELLIPSIZE_NONE;
    }
}

int pangoUnits(double points) {
    double units = std::round(points * PANGO_SCALE);
    return units >= INT_MAX ? INT_MAX : static_cast<int>(units);
}

double points(int units) { return double(units) / PANGO_SCALE; }

// Whether a paragraph starts at byte `at`: the text's start, or after a paragraph
// separator as the engine reads them (line feed, carriage return, U+2029), never between
// a carriage return and its line feed.
bool startsParagraph(const std::string& text, std::size_t at) {
    if (at == 0) return true;
    const char previous = text[at - 1];
    if (previous == '\n') return true;
    if (previous == '\r') return at == text.size() || text[at] != '\n';
    return at >= 3 && text.compare(at - 3, 3, "\u2029") == 0;
}

// Where a piece from `begin` of at most `window` bytes ends: after its last paragraph,
// else at a character start.
std::size_t pieceEnd(const std::string& text, std::size_t begin, std::size_t window) {
    if (text.size() - begin <= window) return text.size();
    const std::size_t limit = begin + window;
    for (std::size_t at = limit; at > begin; --at)
        if (startsParagraph(text, at)) return at;
    std::size_t at = platform::utf8CharacterStart(text, limit, begin + 1);
    // Never between a carriage return and its line feed.
    if (at > begin + 1 && text[at - 1] == '\r' && text[at] == '\n') --at;
    return at;
}

// The start of the paragraph after the one byte `at` is in (the text's size if none).
std::size_t nextParagraph(const std::string& text, std::size_t at) {
    while (at < text.size() && !startsParagraph(text, at)) ++at;
    return at;
}

// The direction of the first strong character, as the engine finds a paragraph's.
PangoDirection baseDirection(const std::string& text, std::size_t begin, std::size_t end) {
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    return pango_find_base_dir(text.data() + begin, static_cast<int>(end - begin));
    G_GNUC_END_IGNORE_DEPRECATIONS
}

}  // namespace

struct TextLayout::Settings {
    std::optional<double> width;  // wrapping, in points
    PangoWrapMode wrap = PANGO_WRAP_WORD_CHAR;
    PangoEllipsizeMode ellipsize = PANGO_ELLIPSIZE_NONE;
    PangoAlignment alignment = PANGO_ALIGN_LEFT;
    bool justify = false;
    std::size_t pieceBytes = kPieceBytes;        // a piece's usual length
    std::size_t lineBytes = kPieceBytes;         // the most a piece grows to for one line
    std::size_t longWordBytes = kLongWordBytes;  // words from this long get their line ends put in

    // The paragraph the next piece goes on with: how many of its lines are kept, its
    // direction as far as it has been read, and the embeddings open where it was read to.
    int paragraphLines = 0;
    std::size_t directionRead = 0;
    PangoDirection direction = PANGO_DIRECTION_NEUTRAL;
    std::size_t embeddingsRead = 0;
    OpenEmbeddings embeddings;
    bool embeddingsStarted = false;

    void configure(PangoLayout* layout, int paragraphLineLimit) const {
        pango_layout_set_alignment(layout, alignment);
        pango_layout_set_justify(layout, justify);
        if (!width) return;
        pango_layout_set_width(layout, pangoUnits(*width));
        pango_layout_set_wrap(layout, wrap);
        if (ellipsize != PANGO_ELLIPSIZE_NONE) {
            pango_layout_set_ellipsize(layout, ellipsize);
            // Without a line limit every line is kept, so nothing is cut.
            pango_layout_set_height(layout, paragraphLineLimit > 0 ? -paragraphLineLimit : -INT_MAX);
        }
    }

    void startParagraph(std::size_t at) {
        directionRead = embeddingsRead = at;
        paragraphLines = 0;
        direction = PANGO_DIRECTION_NEUTRAL;
        embeddingsStarted = false;
    }

    // The direction of the paragraph from its start up to `at`, read once.
    PangoDirection directionUpTo(const std::string& text, std::size_t at) {
        if (direction == PANGO_DIRECTION_NEUTRAL && at > directionRead)
            direction = baseDirection(text, directionRead, at);
        directionRead = std::max(directionRead, at);
        return direction;
    }

    // The controls that open again the embeddings, overrides and isolates open at `at`
    // (after the paragraph's direction up to there was read).
    std::string openersAt(const std::string& text, std::size_t at) {
        if (!embeddingsStarted) {
            embeddings.startParagraph(direction == PANGO_DIRECTION_RTL);
            embeddingsStarted = true;
        }
        if (at > embeddingsRead) embeddings.read(text, embeddingsRead, at);
        embeddingsRead = std::max(embeddingsRead, at);
        return embeddings.openers();
    }
};

TextLayout::TextLayout(const AttributedString& text, const TextLayoutOptions& options, std::optional<double> width,
                       std::optional<double> depth) {
    lineLimit_ = std::max(0, options.numberOfLines);
    if (text.text().empty()) return;
    const TextSource source(text);

    Settings settings;
    // A paragraph alignment in the text wins over the options' one.
    const TextAlignment alignment = text.attributesAt(0).alignment.value_or(options.alignment);
    settings.alignment = pangoAlignment(alignment);
    settings.justify = alignment == TextAlignment::justified;
    if (width && std::isfinite(*width) && *width > 0) {
        settings.width = *width;
        settings.wrap = options.lineBreakMode == LineBreakMode::charWrap ? PANGO_WRAP_CHAR : PANGO_WRAP_WORD_CHAR;
        settings.ellipsize = ellipsizing(options.lineBreakMode);
    }
    const double largest = std::max(1.0, source.largestPointSize());
    settings.lineBytes = std::max<std::size_t>(64, static_cast<std::size_t>(kPieceExtent / largest));
    settings.pieceBytes = std::min(kPieceBytes, settings.lineBytes);
    settings.longWordBytes = std::clamp<std::size_t>(settings.pieceBytes / 4, 16, kLongWordBytes);

    std::size_t at = 0;
    while (at < source.size()) {
        if (lineLimit_ > 0 && lines_.size() >= static_cast<std::size_t>(lineLimit_)) break;
        if (depth && !lines_.empty() && lines_.back().top + lines_.back().height >= *depth) break;
        at = layOutPiece(source, settings, at);
    }
    if (!settings.width && pieces_.size() > 1) alignUnwrappedLines(settings);
}

TextLayout::~TextLayout() {
    for (PangoLayout* piece : pieces_) g_object_unref(piece);
}

std::size_t TextLayout::layOutPiece(const TextSource& source, Settings& settings, std::size_t begin) {
    const std::string& text = source.utf8();
    const bool paragraphStart = startsParagraph(text, begin);
    if (paragraphStart) settings.startParagraph(begin);

    std::size_t window = settings.pieceBytes;
    std::size_t end = 0;
    std::vector<TextInsertion> insertions;
    PangoLayout* layout = nullptr;
    int count = 0;
    for (;;) {
        end = pieceEnd(text, begin, window);
        insertions.clear();
        if (!paragraphStart) {
            // A piece that goes on with a paragraph keeps the paragraph's direction and
            // what the paragraph opened before it.
            const PangoDirection direction = settings.directionUpTo(text, begin);
            std::string opening;
            if (direction != PANGO_DIRECTION_NEUTRAL && baseDirection(text, begin, end) != direction)
                opening = direction == PANGO_DIRECTION_RTL ? "\u200F" : "\u200E";
            opening += settings.openersAt(text, begin);
            if (!opening.empty()) insertions.push_back({begin, std::move(opening)});
        }
        if (settings.width && settings.wrap == PANGO_WRAP_WORD_CHAR) {
            auto breaks = longWordBreaks(source, begin, end, *settings.width, settings.longWordBytes);
            insertions.insert(insertions.end(), breaks.begin(), breaks.end());
        }
        layout = source.layout(begin, end, insertions);
        settings.configure(layout, lineLimit_ > 0 ? lineLimit_ - settings.paragraphLines : 0);
        count = pango_layout_get_line_count(layout);

        const bool atEnd = end == text.size();
        const int remaining = lineLimit_ > 0 ? lineLimit_ - static_cast<int>(lines_.size()) : INT_MAX;
        // The piece grows while a line it keeps may end where it does only because the
        // piece does: a line as long as the piece, or, when the lines kept end with an
        // ellipsized one, that line without an ellipsis though the paragraph goes on.
        const bool endsWithEllipsis = settings.ellipsize != PANGO_ELLIPSIZE_NONE && count >= remaining;
        const bool cut = endsWithEllipsis ? count == remaining && !startsParagraph(text, end) &&
                                                !pango_layout_is_ellipsized(layout)
                                          : count < 2;
        if (!atEnd && cut && window < settings.lineBytes) {
            g_object_unref(layout);
            window = std::min(settings.lineBytes, window * 4);
            continue;
        }
        break;
    }
    pieces_.push_back(layout);

    const bool atEnd = end == text.size();
    const int remaining = lineLimit_ > 0 ? lineLimit_ - static_cast<int>(lines_.size()) : INT_MAX;
    // The last line may end where it does only because the piece does: it is laid out
    // again with the next piece. An ellipsized last line is final.
    int keep = atEnd || count < 2 ? count : count - 1;
    if (settings.ellipsize != PANGO_ELLIPSIZE_NONE && count >= remaining) keep = remaining;
    keep = std::min(keep, remaining);

    const double top = lines_.empty() ? 0 : lines_.back().top + lines_.back().height;
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    for (int i = 0; i < keep; ++i) {
        PangoRectangle ink, logical;
        pango_layout_iter_get_line_extents(iter, &ink, &logical);
        PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter);
        lines_.push_back({line, points(logical.x), top + points(logical.y), points(logical.height),
                          points(logical.width), top + points(pango_layout_iter_get_baseline(iter)),
                          top + points(ink.y), top + points(ink.y + ink.height)});
        if (line->is_paragraph_start && (i > 0 || paragraphStart)) {
            if (i > 0) settings.startParagraph(TextSource::sourceOffset(begin, insertions, line->start_index));
            settings.paragraphLines = 1;
        } else {
            ++settings.paragraphLines;
        }
        pango_layout_iter_next_line(iter);
    }
    std::size_t next = text.size();
    if (keep < count) {
        next = TextSource::sourceOffset(begin, insertions, pango_layout_iter_get_line_readonly(iter)->start_index);
    } else if (!atEnd) {
        // One line as long as a piece may grow: it is cut there, and a line that does not
        // wrap is not shown past that at all (or the line limit was reached).
        next = settings.width ? end : nextParagraph(text, end);
    }
    pango_layout_iter_free(iter);
    return std::max(next, begin + 1);
}

void TextLayout::alignUnwrappedLines(const Settings& settings) {
    // Each piece aligned its lines to its own widest; they align to the widest of all.
    double widest = 0;
    for (const Line& line : lines_) widest = std::max(widest, line.width);
    for (Line& line : lines_) {
        PangoAlignment alignment = settings.alignment;
        if (alignment != PANGO_ALIGN_CENTER && line.line->resolved_dir == PANGO_DIRECTION_RTL)
            alignment = alignment == PANGO_ALIGN_LEFT ? PANGO_ALIGN_RIGHT : PANGO_ALIGN_LEFT;
        const double share = alignment == PANGO_ALIGN_CENTER ? 0.5 : alignment == PANGO_ALIGN_RIGHT ? 1 : 0;
        line.x = share * (widest - line.width);
    }
}

Size TextLayout::size() const {
    if (lines_.empty()) return {};
    double widest = 0;
    for (const Line& line : lines_) widest = std::max(widest, line.width);
    return {widest, lines_.back().top + lines_.back().height};
}

void TextLayout::draw(cairo_t* cr, Point origin) const {
    double clipLeft, clipTop, clipRight, clipBottom;
    cairo_clip_extents(cr, &clipLeft, &clipTop, &clipRight, &clipBottom);
    for (const Line& line : lines_) {
        const double top = origin.y + std::min(line.top, line.inkTop);
        const double bottom = origin.y + std::max(line.top + line.height, line.inkBottom);
        if (bottom < clipTop) continue;
        if (top > clipBottom) continue;
        cairo_move_to(cr, origin.x + line.x, origin.y + line.baseline);
        pango_cairo_show_layout_line(cr, line.line);
    }
}

}  // namespace platform::graphics
