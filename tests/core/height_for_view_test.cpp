#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/height_for_view.hpp"
#include "platform/graphics/font_configuration.hpp"
#include "platform/graphics/font_registry.hpp"
#include "platform/graphics/text.hpp"

using platform::graphics::Font;
using platform::graphics::FontRegistry;

namespace {

class HeightForViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::graphics::useIsolatedFontConfiguration();
        font = *FontRegistry::shared().defaultFont(16);
        lineHeight = vistrel::heightForView("A", font, 300, 1);
    }
    Font font;
    double lineHeight = 0;
    const std::string longText =
        "A long action name that wraps over several lines when the row is narrow enough to need it";
};

}  // namespace

TEST_F(HeightForViewTest, LineLimitsZeroOneAndTwo) {
    ASSERT_GT(lineHeight, 10);
    const double all = vistrel::heightForView(longText, font, 120, 0);
    const double one = vistrel::heightForView(longText, font, 120, 1);
    const double two = vistrel::heightForView(longText, font, 120, 2);
    EXPECT_GT(all, 3 * lineHeight - 1);  // every wrapped line
    EXPECT_NEAR(one, lineHeight, 1);
    EXPECT_NEAR(two, 2 * lineHeight, 1);
    EXPECT_LE(two, 2 * lineHeight + 1);  // never more than two lines
    // A text that fits on one line is one line high whatever the limit.
    for (int lines : {0, 1, 2}) EXPECT_EQ(vistrel::heightForView("Short", font, 300, lines), lineHeight) << lines;
}

TEST_F(HeightForViewTest, WhatItMeasuresMatchesTheTextEngine) {
    const double measured =
        platform::graphics::measureText(platform::graphics::makeAttributedString(longText, font), {.maxWidth = 120}).height;
    const double height = vistrel::heightForView(longText, font, 120, 0);
    EXPECT_TRUE(height >= measured && height < measured + 1) << height << " for " << measured;  // rounded up to a pixel
}

TEST_F(HeightForViewTest, EdgeInputsGiveSoundHeights) {
    EXPECT_EQ(vistrel::heightForView("", font, 120, 2), 0);
    // Widths that leave no room to wrap: the text keeps its own lines.
    for (double width : {0.0, -50.0, std::numeric_limits<double>::quiet_NaN(),
                         std::numeric_limits<double>::infinity()})
        EXPECT_EQ(vistrel::heightForView(longText, font, width, 0), lineHeight) << width;
    EXPECT_EQ(vistrel::heightForView("one\ntwo\nthree", font, 300, 0), vistrel::heightForView("x\ny\nz", font, 300, 0));
    EXPECT_NEAR(vistrel::heightForView("one\ntwo\nthree", font, 300, 2), 2 * lineHeight, 1);
    // A negative limit is no limit.
    EXPECT_EQ(vistrel::heightForView(longText, font, 120, -1), vistrel::heightForView(longText, font, 120, 0));
    // The largest width there is still measures finitely.
    EXPECT_TRUE(std::isfinite(vistrel::heightForView(longText, font, std::numeric_limits<double>::max(), 0)));
}
