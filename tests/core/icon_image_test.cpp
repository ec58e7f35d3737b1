#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/icon_image.hpp"
#include "core/icon_type.hpp"
#include "kit_fonts.hpp"
#include "platform/graphics/image_context.hpp"

using namespace vistrel;
using platform::graphics::Color;
using platform::graphics::Size;

using IconImageTest = coretest::KitFontsTest;

TEST(IconTypeTest, OtherTextsAreNoIcon) {
    for (const char* text : {"\xEE\xA4\x8A", "", "a", "\xEE\xA4\x90\xEE\xA4\x90", "\xEE\xA4", " \xEE\xA4\x90"})
        EXPECT_FALSE(iconTypeFromRawValue(text)) << text;
}

TEST_F(IconImageTest, IconStringCarriesTheFontAndOnlyAGivenColour) {
    auto plain = stringFromIcon(rawValue(VistrelIconType::Flash));
    ASSERT_TRUE(plain);
    auto attributes = plain->attributesAt(0);
    ASSERT_TRUE(attributes.font);
    EXPECT_EQ(std::tuple(attributes.font->postScriptName, attributes.font->pointSize), std::tuple("icomoon", 12));
    EXPECT_FALSE(attributes.foregroundColor || attributes.alignment);

    auto coloured = stringFromIcon("any text", 30, Color::red());
    ASSERT_TRUE(coloured);
    EXPECT_EQ(coloured->attributesAt(7).foregroundColor, Color::red());
    EXPECT_FALSE(iconFontWithSize(0));
}

TEST_F(IconImageTest, IconImageDrawsTheGlyphInItsColour) {
    auto image = imageFromIcon(rawValue(VistrelIconType::StarFull), 24, Color::blue());
    ASSERT_TRUE(image);
    EXPECT_EQ(std::pair(image->size(), image->scale()), std::pair(Size{24, 24}, platform::graphics::defaultScale()));
    int inked = 0, blue = 0;
    const auto& bitmap = image->bitmap();
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x) {
            Color c = bitmap.pixel(x, y);
            if (c.a > 0.9) ++inked;
            if (c.a > 0.9 && c.withAlpha(1).isClose(Color::blue(), 0.02)) ++blue;
        }
    EXPECT_GT(inked, bitmap.width() * bitmap.height() / 8);
    EXPECT_EQ(blue, inked);
    // Centred: the ink is balanced between the left and right halves.
    auto inkIn = [&](int from, int to) {
        int n = 0;
        for (int y = 0; y < bitmap.height(); ++y)
            for (int x = from; x < to; ++x) n += bitmap.pixel(x, y).a > 0.5;
        return n;
    };
    int left = inkIn(0, bitmap.width() / 2), right = inkIn(bitmap.width() / 2, bitmap.width());
    EXPECT_NEAR(double(left) / right, 1, 0.15);
}

TEST_F(IconImageTest, IconImageRefusesSizesItCannotDraw) {
    const double inf = std::numeric_limits<double>::infinity();
    for (double size : {0.0, -0.0, -12.0, std::nan(""), inf, -inf, 4096.5, 1e9, std::numeric_limits<double>::max()})
        EXPECT_FALSE(imageFromIcon(rawValue(VistrelIconType::Grid), size, Color::black())) << size;
    EXPECT_TRUE(imageFromIcon(rawValue(VistrelIconType::Grid), 0.5, std::nullopt));
}

TEST(ColorImageTest, OnePointOfTheColourAtTheScreensScale) {
    auto image = imageWithColor(Color::black().withAlpha(0.5));
    ASSERT_TRUE(image);
    const int scale = int(platform::graphics::defaultScale());
    EXPECT_EQ(std::tuple(image->size(), image->pixelWidth(), image->pixelHeight()), std::tuple(Size{1, 1}, scale, scale));
    for (int y = 0; y < image->pixelHeight(); ++y)
        for (int x = 0; x < image->pixelWidth(); ++x)
            EXPECT_TRUE(image->bitmap().pixel(x, y).isClose(Color::black().withAlpha(0.5), 1.0 / 255));
}
