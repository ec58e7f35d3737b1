#include "vistrel/platform/graphics/bounded_text.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace platform::graphics;

namespace {

// `count` times `unit` between `before` and `after`.
std::string repeated(const std::string& before, const std::string& unit, std::size_t count,
                     const std::string& after = "") {
    std::string out = before;
    out.reserve(before.size() + unit.size() * count + after.size());
    for (std::size_t i = 0; i < count; ++i) out += unit;
    return out += after;
}

std::size_t occurrences(const std::string& text, const std::string& unit) {
    std::size_t count = 0;
    for (auto at = text.find(unit); at != std::string::npos; at = text.find(unit, at + unit.size())) ++count;
    return count;
}

// The longest stretch of code points between two zero-width spaces or line ends.
std::size_t longestStretch(const std::string& text) {
    std::size_t longest = 0, stretch = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) continue;  // inside a code point
        const bool ends = text[at] == '\n' || text.compare(at, 3, "\u200B") == 0;
        stretch = ends ? 0 : stretch + 1;
        longest = std::max(longest, stretch);
    }
    return longest;
}

const std::string kAcute = "\u0301", kRlo = "\u202E", kLro = "\u202D", kZwj = "\u200D", kMan = "\U0001F468",
                  kWoman = "\U0001F469", kGirl = "\U0001F467";

}  // namespace

TEST(BoundedTextTest, OrdinaryTextIsHandedOnAsItIs) {
    const std::vector<std::string> ordinary = {
        "plain words, and lines\nof them",
        "e" + kAcute + " and a\u0323\u0302 with two accents, \u05E9\u05C1\u05B8 pointed",
        "left \u200F right, \u202Bembedded\u202C, a zero\u200Bwidth space, a soft\u00ADhyphen",
        // A family, a kiss with skin tones, a flag of tags, a keycap, a variation selector.
        kMan + kZwj + kWoman + kZwj + kGirl + kZwj + "\U0001F466",
        "\U0001F468\U0001F3FB\u200D\u2764\uFE0F\u200D\U0001F48B\u200D\U0001F468\U0001F3FC",
        "\U0001F3F4\U000E0067\U000E0062\U000E0073\U000E0063\U000E0074\U000E007F 1\uFE0F\u20E3 \u263A\uFE0F",
        repeated("a", kAcute, kMostAttachedInARow, " the most accents kept on one letter"),
        repeated(repeated("\uD55C\uAD6D\uC5B4 ", "\u4E2D\u6587", 100), "\u0928\u092E\u0938\u094D\u0924\u0947", 20),
        repeated("a", kZwj + "b", 1000),
        // Deep overrides closed at once.
        repeated(repeated("", kRlo, 30), "\u202C", 30, "abc"),
    };
    for (const std::string& text : ordinary) {
        const BoundedText bounded(text);
        EXPECT_EQ(bounded.utf8(), text);
        EXPECT_FALSE(bounded.changed());
        EXPECT_EQ(bounded.offset(text.size()), text.size());
    }
}

TEST(BoundedTextTest, RowsOfMarksAndFormatCharactersAreCutAndLongCharactersEnded) {
    struct Row {
        const char* what;
        std::string text;
        std::string expected;  // empty: checked by the row's own lines below
    };
    const std::string tail = " and on";
    const std::vector<Row> rows = {
        {"marks on one letter", repeated("a", kAcute, 50'000, tail), repeated("a", kAcute, 30, tail)},
        {"bidi overrides", repeated(repeated("", kRlo, 50'000), kLro, 50'000, "text"), repeated("", kRlo, 30, "text")},
        {"overrides opened past the cut, then closed",
         repeated(repeated("", kRlo, 40), "\u202C", 35, "abc"), repeated(repeated("", kRlo, 30), "\u202C", 25, "abc")},
        {"an embedding closed after endless accents", repeated(repeated("\u202Babc", kAcute, 40), "\u202C", 1, "def"),
         repeated(repeated("\u202Babc", kAcute, 30), "\u202C", 1, "def")},
        {"marks and joiners in turn", repeated("a", kAcute + kZwj, 1000), repeated("a", kAcute + kZwj, 15)},
        {"variation selectors", repeated("\u263A", "\uFE0F", 5000, tail), repeated("\u263A", "\uFE0F", 30, tail)},
        {"emoji joined without end", repeated("", kMan + kZwj, 20'000, kWoman), ""},
        {"Hangul leading consonants", repeated("", "\u1100", 20'000, "\u1161"), ""},
        {"Arabic number signs, which show", repeated("", "\u0600", 20'000, "1"), ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const BoundedText bounded(row.text);
        EXPECT_TRUE(bounded.changed());
        if (!row.expected.empty()) {
            EXPECT_EQ(bounded.utf8(), row.expected);
            continue;
        }
        // Nothing visible is dropped: the character is ended with zero-width spaces.
        std::string withoutSpaces = bounded.utf8();
        for (auto at = withoutSpaces.find("\u200B"); at != std::string::npos; at = withoutSpaces.find("\u200B", at))
            withoutSpaces.erase(at, 3);
        EXPECT_EQ(withoutSpaces, row.text);
        EXPECT_LE(longestStretch(bounded.utf8()), kMostCodePointsInACharacter + kMostAttachedInARow);
        EXPECT_GT(occurrences(bounded.utf8(), "\u200B"), 100u);
    }
}

TEST(BoundedTextTest, OffsetsFollowTheTextAcrossWhatIsDroppedAndPutIn) {
    // Marks dropped after the first letter, a zero-width space put in the chain of emoji.
    const std::string marks = repeated("a", kAcute, 40);
    const std::string chain = repeated("", kMan + kZwj, 40, kWoman);
    const std::string text = marks + "b" + chain + "c";
    const BoundedText bounded(text);
    const std::string& out = bounded.utf8();
    EXPECT_EQ(bounded.offset(0), 0u);
    EXPECT_EQ(bounded.offset(1 + 2 * 10), 1u + 2 * 10);  // a kept mark
    // A dropped mark, and the letter after the marks, are where the text goes on.
    EXPECT_EQ(bounded.offset(1 + 2 * 35), 1u + 2 * 30);
    EXPECT_EQ(out.compare(bounded.offset(marks.size()), 1, "b"), 0);
    EXPECT_EQ(out.compare(bounded.offset(text.size() - 1), 1, "c"), 0);
    EXPECT_EQ(bounded.offset(text.size()), out.size());
    EXPECT_EQ(out.size(), text.size() - 2 * 10 + 3 * occurrences(out, "\u200B"));
}
