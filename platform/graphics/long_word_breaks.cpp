#include "platform/graphics/long_word_breaks.hpp"

#include <algorithm>
#include <climits>
#include <string>

namespace platform::graphics {

namespace {

bool isAsciiSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// Characters after which a line ends in any case.
bool endsLine(gunichar c) {
    return c == '\n' || c == '\r' || c == '\f' || c == '\v' || c == 0x85 || c == 0x2028 || c == 0x2029;
}

struct Cluster {
    std::size_t byte;  // of the source text
    double width;      // in points
};

// The clusters of source bytes [begin, end) in text order, each with its advance, from
// one layout of them on a single line.
std::vector<Cluster> measureClusters(const TextSource& source, std::size_t begin, std::size_t end) {
    std::vector<Cluster> clusters;
    PangoLayout* layout = source.layout(begin, end);
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    do {
        if (!pango_layout_iter_get_run_readonly(iter)) continue;  // a line's end
        PangoRectangle logical;
        pango_layout_iter_get_cluster_extents(iter, nullptr, &logical);
        clusters.push_back({begin + static_cast<std::size_t>(pango_layout_iter_get_index(iter)),
                            double(logical.width) / PANGO_SCALE});
    } while (pango_layout_iter_next_cluster(iter));
    pango_layout_iter_free(iter);
    g_object_unref(layout);
    // Right-to-left runs come in visual order.
    std::stable_sort(clusters.begin(), clusters.end(), [](const Cluster& a, const Cluster& b) { return a.byte < b.byte; });
    return clusters;
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

// Breaks one word, source bytes [begin, end), whose characters' break attributes start at
// `attributes` and whose characters start at `characterBytes`.
void breakWord(const TextSource& source, std::size_t begin, std::size_t end, const PangoLogAttr* attributes,
               const std::size_t* characterBytes, double width, std::vector<TextInsertion>& insertions) {
    const std::vector<Cluster> clusters = measureClusters(source, begin, end);
    double total = 0;
    for (const Cluster& cluster : clusters) total += cluster.width;
    if (clusters.empty() || total <= width) return;

    // Each line is laid out again on its own, which can change the kerning at its end:
    // lines are filled to half a hyphen short of the width so that they still fit.
    const double hyphen = hyphenWidth(source, begin);
    const double limit = width - hyphen / 2;
    std::vector<bool> allowed(clusters.size()), hyphenated(clusters.size());
    std::size_t character = 0;
    for (std::size_t c = 0; c < clusters.size(); ++c) {
        while (characterBytes[character] < clusters[c].byte) ++character;
        allowed[c] = characterBytes[character] == clusters[c].byte && attributes[character].is_char_break;
        hyphenated[c] = attributes[character].break_inserts_hyphen;
    }

    std::size_t lineStart = 0;
    std::size_t lastFit = 0;  // the last cluster before which the line may end; 0 for none
    double lineWidth = 0;
    for (std::size_t c = 0; c < clusters.size(); ++c) {
        if (c > lineStart && allowed[c] && lineWidth + (hyphenated[c] ? hyphen : 0) <= limit) lastFit = c;
        if (c > lineStart && lineWidth + clusters[c].width > limit) {
            const std::size_t at = lastFit > lineStart ? lastFit : allowed[c] ? c : 0;
            if (at > lineStart) {
                insertions.push_back({clusters[at].byte, std::string(hyphenated[at] ? kInsertedHyphen : "") +
                                                             kInsertedLineSeparator});
                lineStart = at;
                lastFit = 0;
                lineWidth = 0;
                c = at - 1;
                continue;
            }
        }
        lineWidth += clusters[c].width;
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
                breakWord(source, from, to, &attributes[wordStart], &characterBytes[wordStart], width, insertions);
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
