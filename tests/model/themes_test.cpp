// The theme defaults that stand in where a style gives no value.
#include <gtest/gtest.h>

#include "model/themes.hpp"

namespace vistrel {
namespace {

using platform::graphics::Color;

TEST(Themes, ColoursAreOneObjectEach) {
    const Color* first = &VistrelActionTheme::buttonBackgroundColor;
    const Color* second = &VistrelActionTheme::buttonBackgroundColor;
    EXPECT_EQ(first, second);
    EXPECT_EQ(VistrelActionTheme::buttonBackgroundColor, Color::black().withAlpha(0.6));
    EXPECT_EQ(VistrelImageTheme::buttonBackgroundColor, Color::white(0.0, 0.6));
    EXPECT_EQ(VistrelActionTheme::textColor, Color::white(1.0, 1.0));
    EXPECT_EQ(VistrelImageTheme::textColor, Color::white());
    EXPECT_EQ(VistrelActionTheme::textBackgroundColor, Color::clear());
}

TEST(Themes, PositionsAndFonts) {
    EXPECT_EQ(rawValue(VistrelActionTheme::iconVerticalPosition), "middle");
    EXPECT_EQ(rawValue(VistrelActionTheme::textVerticalPosition), "middle");
    EXPECT_EQ(VistrelActionTheme::iconHorizontalPosition, HorizontalPosition::left);
    EXPECT_EQ(VistrelActionTheme::textHorizontalPosition, HorizontalPosition::center);
    EXPECT_EQ(VistrelActionTheme::buttonBackgroundImageSize, ImageSize::cover);
    EXPECT_EQ(VistrelActionTheme::buttonBackgroundImagePosition, HorizontalPosition::center);
    EXPECT_EQ(VistrelImageTheme::textFont, VistrelImageTheme::textFontNormalWeightNormalStyle);
    EXPECT_EQ(VistrelActionTheme::textFont, VistrelActionTheme::textFontNormalWeightNormalStyle);
    EXPECT_EQ(VistrelActionTheme::textFontBoldWeightItalicStyle, "SFProText-HeavyItalic");
    EXPECT_EQ(VistrelImageTheme::textFontNormalWeightItalicStyle, "SFProText-Italic");
}

}  // namespace
}  // namespace vistrel
