#pragma once
// Unicode text between its encodings: UTF-8 (the object model's texts) and UTF-16 (files
// that keep texts as 16-bit units). Strict both ways: what does not encode a sequence of
// Unicode scalar values (a lone surrogate, an overlong or cut sequence) is refused, never
// guessed at.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Appends a Unicode scalar value (below U+110000, no surrogate) as UTF-8.
void appendUtf8(std::string& out, char32_t c);

// The scalar value encoded in UTF-8 at `at`, with `at` moved past it; no value (and `at`
// unmoved) where the bytes there are no well-formed UTF-8 sequence.
std::optional<char32_t> nextUtf8(std::string_view text, std::size_t& at);

// Where a text may be cut at byte `at` without splitting a character: `at` moved back over
// the continuation bytes of the character it falls in (three at most: a character takes
// four bytes at most), never below `floor`. `at` as given where it starts a character,
// lies at or past the text's end, or falls in bytes that are no UTF-8 (no start within
// reach), so that a cut of text that is not UTF-8 stays where it was asked.
std::size_t utf8CharacterStart(std::string_view text, std::size_t at, std::size_t floor = 0);

// UTF-16 code units, two bytes each in the order given, as UTF-8; no value for an odd
// number of bytes or a surrogate that is not half of a pair.
std::optional<std::string> utf8FromUtf16(std::string_view bytes, bool bigEndian);

// Appends a Unicode scalar value as UTF-16 code units, two bytes each, high byte first;
// gives how many units it took (1, or 2 for a surrogate pair).
int appendUtf16BigEndian(std::string& out, char32_t c);

}  // namespace platform
