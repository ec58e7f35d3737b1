#include "platform/graphics/text.hpp"

#include <gtest/gtest.h>

#include "platform/graphics/font_configuration.hpp"
#include "platform/graphics/font_registry.hpp"

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

