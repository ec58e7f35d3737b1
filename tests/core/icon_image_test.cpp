#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kit_fonts.hpp"
#include "vistrel/core/icon_image.hpp"
#include "vistrel/core/icon_type.hpp"
#include "vistrel/platform/graphics/image_context.hpp"

using namespace vistrel;
using platform::graphics::Color;
using platform::graphics::Size;

using IconImageTest = coretest::KitFontsTest;

TEST_F(IconImageTest, IconImageDrawsTheGlyphInItsColour) {
    auto image = imageFromIcon(rawValue(VistrelIconType::StarFull), 24, Color::blue());
    ASSERT_TRUE(image);
    EXPECT_EQ(std::pair(image->size(), image->scale()), std::pair(Size{24, 24}, platform::graphics::defaultScale()));
    int inked = 0, blue = 0, left = 0;
    const auto& bitmap = image->bitmap();
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x) {
            Color c = bitmap.pixel(x, y);
            if (c.a <= 0.9) continue;
            ++inked;
            if (c.withAlpha(1).isClose(Color::blue(), 0.02)) ++blue;
            if (x < bitmap.width() / 2) ++left;
        }
    EXPECT_GT(inked, bitmap.width() * bitmap.height() / 8);
    EXPECT_EQ(blue, inked);
    // Centred: the ink is balanced between the left and right halves.
    EXPECT_NEAR(double(left) / (inked - left), 1, 0.15);
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
