#pragma once
// Unicode character classes and user-perceived characters of UTF-8 text, as text
// layout sees them. A byte that is not part of valid UTF-8 counts as one character of
// its own, and as no letter or digit.
#include <cstddef>
#include <string_view>

namespace platform::graphics {

// Letters, marks and digits (general categories L*, M* and N*).
bool isAlphanumeric(char32_t c);

// The text without the characters that are not alphanumeric at both of its ends.
std::string_view trimmingNonAlphanumerics(std::string_view utf8);

// The text without white space and line breaks at both of its ends (the space
// separators, tab, line feed, carriage return, form feed, vertical tab, and the line
// and paragraph separators).
std::string_view trimmingWhitespaceAndNewlines(std::string_view utf8);

// The number of user-perceived characters (grapheme clusters).
std::size_t characterCount(std::string_view utf8);

}  // namespace platform::graphics
