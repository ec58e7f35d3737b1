#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "vistrel/core/height_for_view.hpp"
#include "vistrel/platform/graphics/font_configuration.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"

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

TEST_F(HeightForViewTest, LineLimitsAndEdgeInputs) {
    ASSERT_GT(lineHeight, 10);
    EXPECT_GT(vistrel::heightForView(longText, font, 120, 0), 3 * lineHeight - 1);  // every wrapped line
    EXPECT_NEAR(vistrel::heightForView(longText, font, 120, 2), 2 * lineHeight, 1);
    EXPECT_NEAR(vistrel::heightForView("one\ntwo\nthree", font, 300, 2), 2 * lineHeight, 1);
    // A negative limit is no limit.
    EXPECT_EQ(std::tuple(vistrel::heightForView(longText, font, 120, -1), vistrel::heightForView("", font, 120, 2)),
              std::tuple(vistrel::heightForView(longText, font, 120, 0), 0.0));
    // Widths that leave no room to wrap, or need none: the text keeps its own lines.
    for (double width : {0.0, -50.0, std::numeric_limits<double>::quiet_NaN(),
                         std::numeric_limits<double>::infinity(), std::numeric_limits<double>::max()})
        EXPECT_EQ(vistrel::heightForView(longText, font, width, 0), lineHeight) << width;
    // A name of 200 KB without a space still takes the lines a row gives it.
    const std::string unbroken(200'000, 'W');
    EXPECT_NEAR(vistrel::heightForView(unbroken, font, 300, 2), 2 * lineHeight, 1);
    EXPECT_EQ(vistrel::heightForView(unbroken, font, 0, 2), lineHeight);
}
