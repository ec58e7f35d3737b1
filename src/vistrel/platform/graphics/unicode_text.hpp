#pragma once
// Unicode character classes and user-perceived characters of UTF-8 text, as text
// layout sees them. A byte that is not part of valid UTF-8 counts as one character of
// its own, and as no letter or digit.
#include <cstddef>
#include <optional>
#include <string_view>

namespace platform::graphics {

// The code point that starts at byte `offset` of the text, and its length in bytes; no
// code point, and a length of 1, for a byte that is not part of valid UTF-8.
struct CodePoint {
    std::optional<char32_t> value;
    std::size_t length;
};
CodePoint codePointAt(std::string_view utf8, std::size_t offset);

// Letters, marks and digits (general categories L*, M* and N*).
bool isAlphanumeric(char32_t c);

// Space separators (Zs): the plain space and the no-break, en, em, thin, hair, figure,
// narrow no-break and ideographic spaces among others.
bool isSpaceSeparator(char32_t c);

// Invisible format characters (Cf): direction marks, embeddings, overrides and isolates,
// zero-width spaces and joiners, the soft hyphen, the byte order mark, tags and the like.
bool isFormatCharacter(char32_t c);

// The line separator and the paragraph separator (Zl, Zp).
bool isLineOrParagraphSeparator(char32_t c);

// The text without the characters that are not alphanumeric at both of its ends.
std::string_view trimmingNonAlphanumerics(std::string_view utf8);

// The text without white space and line breaks at both of its ends (the space
// separators, tab, line feed, carriage return, form feed, vertical tab, and the line
// and paragraph separators).
std::string_view trimmingWhitespaceAndNewlines(std::string_view utf8);

// The number of user-perceived characters (grapheme clusters).
std::size_t characterCount(std::string_view utf8);

// How much of the start of the text holds at most `maxBytes` bytes and at most `maxLines`
// lines (at least 1; a line ends at each mandatory break: line feed, carriage return and
// the pair of them, vertical tab, form feed, next line, line and paragraph separators):
// the text's size when the whole text does, else a length that ends where a
// user-perceived character ends, before the line break when the lines run out, or where
// a code point ends when the first character alone is longer than `maxBytes`. Only the
// first `maxBytes` bytes (and one code point more) are looked at.
std::size_t boundedPrefixLength(std::string_view utf8, std::size_t maxBytes, std::size_t maxLines);

}  // namespace platform::graphics
