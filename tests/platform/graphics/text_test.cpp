#include "vistrel/platform/graphics/text.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "vistrel/platform/graphics/font_configuration.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"

using namespace platform::graphics;

namespace {

class TextTest : public ::testing::Test {
protected:
    void SetUp() override {
        useIsolatedFontConfiguration();
        font = *FontRegistry::shared().defaultFont(16);
    }
    AttributedString text(std::string s) const { return makeAttributedString(std::move(s), font); }
    Font font;
};

}  // namespace

TEST_F(TextTest, OneLineIsAsHighAsTheFontsLineAndNoTextMeasuresNothing) {
    EXPECT_EQ(measureText(text("")), (Size{0, 0}));
    Size size = measureText(text("Hello"));
    EXPECT_GT(size.width, 20);
    EXPECT_NEAR(size.height, font.lineHeight, 2);
}

TEST_F(TextTest, LineLimitAppliesAfterWrapping) {
    const std::string words = "one two three four five six seven eight nine ten";
    auto measure = [&](int lines) { return measureText(text(words), {.maxWidth = 80, .numberOfLines = lines}); };
    const Size all = measure(0), one = measure(1), two = measure(2), many = measure(100);

    EXPECT_LE(all.width, 80);
    EXPECT_GT(all.height, 3 * one.height - 0.5);
    EXPECT_NEAR(two.height, 2 * one.height, 0.5);
    EXPECT_EQ(many, all);
}

TEST_F(TextTest, TruncationKeepsWithinTheWidth) {
    TextLayoutOptions options{.maxWidth = 60, .numberOfLines = 1};
    for (auto mode : {LineBreakMode::truncateTail, LineBreakMode::truncateHead, LineBreakMode::truncateMiddle,
                      LineBreakMode::clip, LineBreakMode::charWrap}) {
        options.lineBreakMode = mode;
        Size size = measureText(text("A rather long line of text that cannot fit"), options);
        EXPECT_LE(size.width, 60) << int(mode);
        EXPECT_NEAR(size.height, measureText(text("A")).height, 0.5) << int(mode);
    }
}

TEST_F(TextTest, InvalidUtf8IsLaidOutNotRejected) {
    Size size = measureText(text(std::string("ab\xFF\xFE" "cd\0e", 8)));
    EXPECT_GT(size.width, measureText(text("abcd")).width);
    // An attribute range that ends inside a character is cut back to its start.
    AttributedString accented = text("h\xC3\xA9llo");
    accented.addAttributes({std::nullopt, Color::red(), std::nullopt}, 0, 2);
    EXPECT_GT(measureText(accented).width, 0);
}

TEST_F(TextTest, TextWithoutBreakOpportunitiesWrapsAtCharacters) {
    // 200 KB of letters without a space: each line as full as the width allows.
    const std::string alphabet = "abcdefghijklmnopqrstuvwxyz";
    std::string letters;
    while (letters.size() < 200'000) letters += alphabet;
    const double lineHeight = measureText(text("a")).height;
    const double linesNeeded = measureText(text(alphabet)).width * double(letters.size() / alphabet.size()) / 300;
    const Size wrapped = measureText(text(letters), {.maxWidth = 300});
    EXPECT_TRUE(wrapped.width <= 300 && wrapped.width > 280) << wrapped.width;
    EXPECT_TRUE(wrapped.height > linesNeeded * lineHeight && wrapped.height < linesNeeded * lineHeight * 1.1)
        << wrapped.height / lineHeight << " lines for " << linesNeeded;
    // A line limit keeps the first lines; without a width the text keeps its one line.
    for (auto mode : {LineBreakMode::wordWrap, LineBreakMode::truncateTail, LineBreakMode::charWrap}) {
        const Size two = measureText(text(letters), {.maxWidth = 300, .numberOfLines = 2, .lineBreakMode = mode});
        EXPECT_TRUE(two.width <= 300 && two.width > 280 && two.height == 2 * lineHeight) << int(mode);
    }
    const Size unwrapped = measureText(text(letters));
    EXPECT_TRUE(unwrapped.width > 10'000 && unwrapped.height == lineHeight) << unwrapped.width;
}

TEST_F(TextTest, LongTextWrapsAsTheEngineWrapsItsParagraphs) {
    // Words of one length: every full line holds as many, whatever its place in the text.
    auto words = [](int count) {
        std::string out = "abcd";
        for (int i = 1; i < count; ++i) out += " abcd";
        return out;
    };
    const TextLayoutOptions options{.maxWidth = 200};
    const double lineHeight = measureText(text("a")).height;
    int perLine = 1;
    while (measureText(text(words(perLine + 1)), options).height == lineHeight) ++perLine;
    // Far longer than one go of the engine, in one paragraph and in several.
    const int count = 5000;
    const double lines = std::ceil(double(count) / perLine);
    EXPECT_EQ(measureText(text(words(count)), options).height, lines * lineHeight);
    std::string paragraphs;
    for (int i = 0; i < 40; ++i) paragraphs += (i == 0 ? "" : i % 2 ? "\n" : "\r\n") + words(count / 40);
    EXPECT_EQ(measureText(text(paragraphs), options).height, 40 * std::ceil(double(count / 40) / perLine) * lineHeight);
}

TEST_F(TextTest, EndlessMarksAndControlsLayOutAsTheirBoundedForm) {
    // `count` times `unit` between `before` and `after`.
    auto repeated = [](const std::string& before, const std::string& unit, std::size_t count,
                       const std::string& after = "") {
        std::string out = before;
        for (std::size_t i = 0; i < count; ++i) out += unit;
        return out += after;
    };
    // Each kind laid out as it shows once bounded: one line, as the few that are kept.
    struct Row {
        const char* what;
        std::string text, shown;
        TextLayoutOptions options;
    };
    const std::string rlo = "\u202E";
    const std::vector<Row> rows = {
        {"100,000 accents on one letter", repeated("a", "\u0301", 100'000), repeated("a", "\u0301", 30), {}},
        {"50,000 right-to-left then 50,000 left-to-right overrides",
         repeated(repeated("", rlo, 50'000), "\u202D", 50'000, "abc"), repeated("", rlo, 30, "abc"),
         {.maxWidth = 343}},
    };
    for (const Row& row : rows) {
        const Size size = measureText(text(row.text), row.options);
        EXPECT_EQ(size, measureText(text(row.shown), row.options)) << row.what;
        EXPECT_EQ(size.height, measureText(text("a")).height) << row.what;
    }
    // 100 KB of emoji joined into one character: it wraps within the width, all of it shown.
    const std::string chain = repeated("", "\U0001F468\u200D", 14'000);
    const Size wrapped = measureText(text(chain), {.maxWidth = 300});
    EXPECT_TRUE(wrapped.width <= 300 && wrapped.width > 0) << wrapped.width;
    EXPECT_GT(wrapped.height, 100 * measureText(text("a")).height);
}

TEST(AttributedStringTest, RangesSplitAndMergeRuns) {
    AttributedString s("hello world");
    const TextAttributes red{std::nullopt, Color::red(), std::nullopt};
    s.addAttributes(red, 0, 5);
    s.addAttributes({std::nullopt, std::nullopt, TextAlignment::center});
    s.addAttributes({std::nullopt, Color::blue(), std::nullopt}, 3, 100);  // cut to the text
    ASSERT_EQ(s.runs().size(), 3u);
    std::vector<std::optional<Color>> colours;
    for (std::size_t at : {0, 4, 10}) colours.push_back(s.attributesAt(at).foregroundColor);
    EXPECT_EQ(colours, (std::vector<std::optional<Color>>{Color::red(), Color::blue(), Color::blue()}));
    EXPECT_EQ(s.attributesAt(10).alignment, TextAlignment::center);
    EXPECT_TRUE(s.attributesAt(11).empty());
    s.addAttributes(red, 50, 3);  // outside: nothing
    EXPECT_EQ(s.runs().size(), 3u);
}

