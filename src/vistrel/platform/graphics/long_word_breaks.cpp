#include "vistrel/platform/graphics/long_word_breaks.hpp"

#include <algorithm>
#include <climits>
#include <string>

#include "vistrel/platform/graphics/text_engine.hpp"

namespace platform::graphics {

namespace {

bool isAsciiSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// Characters after which a line ends in any case.
bool endsLine(gunichar c) {
    return c == '\n' || c == '\r' || c == '\f' || c == '\v' || c == 0x85 || c == 0x2028 || c == 0x2029;
}

// The advance of each character of source bytes [begin, end), in points, shaped as one
// line: a ligature's advance is shared among its characters, as the engine shares it when
// it wraps at characters.
std::vector<double> characterWidths(const TextSource& source, std::size_t begin, std::size_t end) {
    const std::string text = source.text(begin, end);
    PangoAttrList* attributes = source.attributes(begin, end, {}, true);
    const int length = static_cast<int>(text.size());
    GList* items = pango_itemize(textContext(), text.data(), 0, length, attributes, nullptr);
    std::vector<double> widths;
    std::vector<int> itemWidths;
    PangoGlyphString* glyphs = pango_glyph_string_new();
    for (GList* node = items; node; node = node->next) {
        auto* item = static_cast<PangoItem*>(node->data);
        const char* itemText = text.data() + item->offset;
        pango_shape_with_flags(itemText, item->length, text.data(), length, &item->analysis, glyphs, PANGO_SHAPE_NONE);
        itemWidths.assign(static_cast<std::size_t>(item->num_chars), 0);
        pango_glyph_string_get_logical_widths(glyphs, itemText, item->length, item->analysis.level, itemWidths.data());
        for (int width : itemWidths) widths.push_back(double(width) / PANGO_SCALE);
        pango_item_free(item);
    }
    pango_glyph_string_free(glyphs);
    g_list_free(items);
    pango_attr_list_unref(attributes);
    return widths;
}

double layoutWidth(PangoLayout* layout) {
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    g_object_unref(layout);
    return double(logical.width) / PANGO_SCALE;
}

// The width the hyphen adds after the character at `at`, in its font.
double hyphenWidth(const TextSource& source, std::size_t at) {
    const std::size_t next = static_cast<std::size_t>(g_utf8_next_char(source.utf8().data() + at) - source.utf8().data());
    return std::max(0.0, layoutWidth(source.layout(at, next, {{next, kInsertedHyphen}})) -
                             layoutWidth(source.layout(at, next)));
}

// Breaks one word, source bytes [begin, end), whose characters start at `characterBytes`
// and have the break attributes from `attributes` on.
void breakWord(const TextSource& source, std::size_t begin, std::size_t end, const PangoLogAttr* attributes,
               const std::size_t* characterBytes, std::size_t characters, double width,
               std::vector<TextInsertion>& insertions) {
    const std::vector<double> widths = characterWidths(source, begin, end);
    double total = 0;
    for (double w : widths) total += w;
    if (widths.size() != characters || total <= width) return;

    // Each line is laid out again on its own, which can change the kerning at its end:
    // lines are filled to half a hyphen short of the width so that they still fit.
    const double hyphen = hyphenWidth(source, begin);
    const double limit = width - hyphen / 2;
    std::size_t lineStart = 0;
    std::size_t lastFit = 0;  // the last character before which the line may end; 0 for none
    double lineWidth = 0;
    for (std::size_t c = 0; c < widths.size(); ++c) {
        const bool allowed = attributes[c].is_char_break;
        const bool hyphenated = attributes[c].break_inserts_hyphen;
        if (c > lineStart && allowed && lineWidth + (hyphenated ? hyphen : 0) <= limit) lastFit = c;
        if (c > lineStart && lineWidth + widths[c] > limit) {
            const std::size_t at = lastFit > lineStart ? lastFit : allowed ? c : 0;
            if (at > lineStart) {
                insertions.push_back({characterBytes[at], std::string(attributes[at].break_inserts_hyphen ? kInsertedHyphen : "") +
                                                              kInsertedLineSeparator});
                lineStart = at;
                lastFit = 0;
                lineWidth = 0;
                c = at - 1;
                continue;
            }
        }
        lineWidth += widths[c];
    }
}

}  // namespace

std::vector<TextInsertion> longWordBreaks(const TextSource& source, std::size_t begin, std::size_t end,
                                          double width, std::size_t minimumBytes) {
    std::vector<TextInsertion> insertions;
    const std::string& text = source.utf8();
    end = std::min(end, text.size());
    minimumBytes = std::max<std::size_t>(minimumBytes, 1);
    for (std::size_t regionStart = begin; regionStart < end;) {
        // Only a stretch without white space can hold a long word.
        if (isAsciiSpace(text[regionStart])) {
            ++regionStart;
            continue;
        }
        std::size_t regionEnd = regionStart;
        while (regionEnd < end && !isAsciiSpace(text[regionEnd])) ++regionEnd;
        if (regionEnd - regionStart < minimumBytes) {
            regionStart = regionEnd;
            continue;
        }

        // Its characters and where a line may break among them.
        std::vector<std::size_t> characterBytes;
        for (const char* p = text.data() + regionStart; p < text.data() + regionEnd; p = g_utf8_next_char(p))
            characterBytes.push_back(static_cast<std::size_t>(p - text.data()));
        characterBytes.push_back(regionEnd);
        std::vector<PangoLogAttr> attributes(characterBytes.size());
        pango_get_log_attrs(text.data() + regionStart, static_cast<int>(regionEnd - regionStart), -1,
                            pango_language_get_default(), attributes.data(), static_cast<int>(attributes.size()));

        const std::size_t characters = characterBytes.size() - 1;
        std::size_t wordStart = 0;
        for (std::size_t i = 1; i <= characters; ++i) {
            if (i < characters && !attributes[i].is_line_break) continue;
            const std::size_t from = characterBytes[wordStart], to = characterBytes[i];
            if (to - from >= minimumBytes) {
                const std::size_t before = insertions.size();
                breakWord(source, from, to, &attributes[wordStart], &characterBytes[wordStart], i - wordStart, width,
                          insertions);
                // A word wider than a line starts one, unless one starts there anyway.
                if (insertions.size() > before && from > begin) {
                    const gunichar previous =
                        g_utf8_get_char(g_utf8_find_prev_char(text.data(), text.data() + from));
                    if (!endsLine(previous))
                        insertions.insert(insertions.begin() + static_cast<std::ptrdiff_t>(before),
                                          {from, kInsertedLineSeparator});
                }
            }
            wordStart = i;
        }
        regionStart = regionEnd;
    }
    return insertions;
}

}  // namespace platform::graphics
