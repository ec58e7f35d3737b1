#pragma once
// The text as layout hands it to the engine (internal to platform/graphics): ordinary text
// as it is, with the engine's costly cases bounded first. The engine lays out a run of
// marks on one base in time that grows with the square of its length (a letter under
// 50,000 accents took seconds), and never breaks a line inside a user-perceived
// character, so that one of any length makes a line of any width, and a piece of text
// that grows to hold it. So
// - of a row of marks and invisible format characters (bidi controls, zero-width
//   characters, variation selectors, emoji modifiers, tags) at most the first
//   kMostAttachedInARow are kept, as the stream-safe form of Unicode text keeps at most 30
//   non-starters in a row; the rest of the row, stacked on the same spot or invisible, is
//   dropped, but for bidi characters that close what the row keeps open or opened before
//   it;
// - a user-perceived character (grapheme cluster) that still holds more than
//   kMostCodePointsInACharacter code points (an endless chain of emoji joined by zero-width
//   joiners, a run of Hangul jamo or of Arabic number signs) is ended with a zero-width
//   space before its next code point that is neither a mark nor an invisible format
//   character; nothing visible is dropped.
// Accents, a bidi mark, emoji sequences and the like of ordinary length are kept as they are.
#include <cstddef>
#include <string>
#include <vector>

namespace platform::graphics {

inline constexpr std::size_t kMostAttachedInARow = 30;
inline constexpr std::size_t kMostCodePointsInACharacter = 16;

class BoundedText {
public:
    // `utf8`: valid UTF-8.
    explicit BoundedText(std::string utf8);

    const std::string& utf8() const { return utf8_; }
    // Whether the text was changed.
    bool changed() const { return !passes_.empty(); }

    // Where the byte at `source` (a character start of the text given, or its size) is in
    // the bounded text; for a dropped character, where the text goes on after it.
    std::size_t offset(std::size_t source) const;

    // A stretch of the text before a pass that the pass kept, and where it went.
    struct Span {
        std::size_t source = 0, bounded = 0, length = 0;
    };

private:
    struct Pass {
        std::vector<Span> spans;  // in order
        std::size_t size = 0;     // of the text after the pass
    };
    std::string utf8_;
    std::vector<Pass> passes_;  // only those that changed the text
};

}  // namespace platform::graphics
