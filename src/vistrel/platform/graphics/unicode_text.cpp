#include "vistrel/platform/graphics/unicode_text.hpp"

#include <pango/pango.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace platform::graphics {

namespace {

// The code point starting at `offset` and its length in bytes; an invalid byte gives
// no code point and length 1.
struct Decoded {
    gunichar c;
    bool valid;
    std::size_t length;
};

Decoded decodeAt(std::string_view text, std::size_t offset) {
    const char* start = text.data() + offset;
    auto remaining = static_cast<gssize>(text.size() - offset);
    gunichar c = g_utf8_get_char_validated(start, remaining);
    if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2) || (c == 0 && *start != 0))
        return {0, false, 1};
    return {c, true, static_cast<std::size_t>(g_utf8_next_char(start) - start)};
}

// The start offset of the character that ends at `end` (exclusive).
std::size_t previousStart(std::string_view text, std::size_t end) {
    // Try the longest valid sequence that ends exactly at `end`.
    for (std::size_t length = std::min<std::size_t>(4, end); length >= 2; --length) {
        Decoded d = decodeAt(text, end - length);
        if (d.valid && d.length == length) return end - length;
    }
    return end - 1;
}

}  // namespace

CodePoint codePointAt(std::string_view utf8, std::size_t offset) {
    const Decoded d = decodeAt(utf8, offset);
    return {d.valid ? std::optional<char32_t>(d.c) : std::nullopt, d.length};
}

bool isSpaceSeparator(char32_t c) { return g_unichar_type(static_cast<gunichar>(c)) == G_UNICODE_SPACE_SEPARATOR; }

bool isFormatCharacter(char32_t c) { return g_unichar_type(static_cast<gunichar>(c)) == G_UNICODE_FORMAT; }

bool isLineOrParagraphSeparator(char32_t c) {
    const GUnicodeType type = g_unichar_type(static_cast<gunichar>(c));
    return type == G_UNICODE_LINE_SEPARATOR || type == G_UNICODE_PARAGRAPH_SEPARATOR;
}

bool isAlphanumeric(char32_t c) {
    switch (g_unichar_type(static_cast<gunichar>(c))) {
        case G_UNICODE_LOWERCASE_LETTER:
        case G_UNICODE_MODIFIER_LETTER:
        case G_UNICODE_OTHER_LETTER:
        case G_UNICODE_TITLECASE_LETTER:
        case G_UNICODE_UPPERCASE_LETTER:
        case G_UNICODE_SPACING_MARK:
        case G_UNICODE_ENCLOSING_MARK:
        case G_UNICODE_NON_SPACING_MARK:
        case G_UNICODE_DECIMAL_NUMBER:
        case G_UNICODE_LETTER_NUMBER:
        case G_UNICODE_OTHER_NUMBER:
            return true;
        default:
            return false;
    }
}

namespace {

// The text without the characters at both of its ends for which `drop` holds; a byte
// that is not valid UTF-8 is dropped when `drop` holds for no character.
template <typename Drop>
std::string_view trimming(std::string_view utf8, Drop drop) {
    auto dropped = [&](const Decoded& d) { return d.valid ? drop(d.c) : drop(std::nullopt); };
    std::size_t begin = 0;
    while (begin < utf8.size()) {
        Decoded d = decodeAt(utf8, begin);
        if (!dropped(d)) break;
        begin += d.length;
    }
    std::size_t end = utf8.size();
    while (end > begin) {
        std::size_t start = previousStart(utf8, end);
        Decoded d = decodeAt(utf8, start);
        // A sequence that does not end exactly here is a stray byte, not a character.
        bool drops = d.length == end - start ? dropped(d) : drop(std::nullopt);
        if (!drops) break;
        end = start;
    }
    return utf8.substr(begin, end - begin);
}

}  // namespace

std::string_view trimmingNonAlphanumerics(std::string_view utf8) {
    return trimming(utf8, [](std::optional<gunichar> c) { return !c || !isAlphanumeric(*c); });
}

std::string_view trimmingWhitespaceAndNewlines(std::string_view utf8) {
    return trimming(utf8, [](std::optional<gunichar> c) { return c && g_unichar_isspace(*c); });
}

std::size_t characterCount(std::string_view utf8) {
    if (utf8.empty()) return 0;
    // Invalid bytes become U+FFFD so that each still counts as one character.
    std::string text;
    for (std::size_t offset = 0; offset < utf8.size();) {
        Decoded d = decodeAt(utf8, offset);
        if (d.valid) text.append(utf8.substr(offset, d.length));
        else text.append("\xEF\xBF\xBD");
        offset += d.length;
    }
    auto characters = static_cast<std::size_t>(g_utf8_strlen(text.data(), static_cast<gssize>(text.size())));
    std::vector<PangoLogAttr> attributes(characters + 1);
    pango_get_log_attrs(text.data(), static_cast<int>(text.size()), -1, pango_language_from_string("en"),
                        attributes.data(), static_cast<int>(attributes.size()));
    std::size_t clusters = 0;
    for (std::size_t i = 0; i < characters; ++i)
        if (attributes[i].is_cursor_position) ++clusters;
    return clusters;
}

std::size_t boundedPrefixLength(std::string_view utf8, std::size_t maxBytes, std::size_t maxLines) {
    // The code points up to the bound and the one after it (which tells whether a
    // character ends at the bound), an invalid byte standing as '?' so that the engine
    // reads valid text with the same offsets.
    const std::size_t bound = std::min(maxBytes, utf8.size());
    std::string window;
    std::size_t codePoints = 0;
    for (std::size_t offset = 0; offset < utf8.size();) {
        const Decoded d = decodeAt(utf8, offset);
        window.append(d.valid ? utf8.substr(offset, d.length) : std::string_view("?"));
        offset += d.length;
        ++codePoints;
        if (offset > bound) break;
    }
    std::vector<PangoLogAttr> attributes(codePoints + 1);
    pango_get_log_attrs(window.data(), static_cast<int>(window.size()), -1, pango_language_from_string("en"),
                        attributes.data(), static_cast<int>(attributes.size()));
    std::size_t lines = 1, lastCharacterEnd = 0, lastCodePointEnd = 0;
    const char* p = window.data();
    for (std::size_t i = 1; i <= codePoints; ++i) {
        p = g_utf8_next_char(p);
        const auto at = static_cast<std::size_t>(p - window.data());
        if (at > bound) break;
        if (i == codePoints) return utf8.size();  // the whole text, within the bounds
        if (attributes[i].is_mandatory_break && ++lines > std::max<std::size_t>(maxLines, 1)) return lastCharacterEnd;
        if (attributes[i].is_cursor_position) lastCharacterEnd = at;
        lastCodePointEnd = at;
    }
    return lastCharacterEnd > 0 ? lastCharacterEnd : lastCodePointEnd;
}

}  // namespace platform::graphics
