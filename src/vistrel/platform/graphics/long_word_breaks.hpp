#pragma once
// Line ends for words wider than a line (internal to platform/graphics; use with
// textLock() held).
//
// The engine wraps a word wider than a line at characters, but it measures the rest of
// the word again for each line it makes of it, so a word of n bytes takes time n² to lay
// out (a megabyte without a space took minutes). For such words this measures every
// character once and gives the line ends to put in: a line separator before the word
// (where a line does not start anyway) and one wherever a line of it is full, after a
// hyphen where the engine would have put one. The engine then only lays out lines that
// fit.
#include <cstddef>
#include <vector>

#include "vistrel/platform/graphics/text_source.hpp"

namespace platform::graphics {

// The line separator put in, and the hyphen put before it where the text takes one.
inline constexpr const char* kInsertedLineSeparator = "\u2028";
inline constexpr const char* kInsertedHyphen = "\u2010";

// The insertions (in order, inside (begin, end)) for the words of source bytes
// [begin, end) that are at least `minimumBytes` long and wider than `width` (in points),
// with a line starting at `begin`.
std::vector<TextInsertion> longWordBreaks(const TextSource& source, std::size_t begin, std::size_t end,
                                          double width, std::size_t minimumBytes);

}  // namespace platform::graphics
