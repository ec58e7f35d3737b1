#include <gtest/gtest.h>

#include "core/navigation_conveniences.hpp"
#include "platform/graphics/bitmap.hpp"
#include "platform/ui/navigation_controller.hpp"

using namespace platform::ui;
namespace graphics = platform::graphics;

TEST(NavigationConveniencesTest, SetBarTintColorStylesTheBarWithEmptyImagesByDefault) {
    NavigationController navigation;
    auto& bar = navigation.navigationBar();
    graphics::TextAttributes earlier;
    earlier.foregroundColor = Color::red();
    earlier.alignment = graphics::TextAlignment::right;
    bar.setTitleTextAttributes(earlier);

    vistrel::setBarTintColor(navigation, Color::red(), Color::white(), false);
    ASSERT_TRUE(bar.backgroundImage(BarMetrics::defaultMetrics));
    EXPECT_TRUE(bar.backgroundImage(BarMetrics::defaultMetrics)->isEmpty());
    EXPECT_FALSE(bar.backgroundImage(BarMetrics::compact));
    ASSERT_TRUE(bar.shadowImage());
    EXPECT_TRUE(bar.shadowImage()->isEmpty());
    EXPECT_FALSE(bar.isTranslucent());
    EXPECT_EQ(bar.barTintColor(), Color::red());
    EXPECT_EQ(bar.tintColor(), Color::white());
    // Only the text colour: the earlier attributes are replaced.
    EXPECT_EQ(bar.titleTextAttributes().foregroundColor, Color::white());
    EXPECT_FALSE(bar.titleTextAttributes().alignment);
    EXPECT_FALSE(bar.titleTextAttributes().font);

    auto black = graphics::Bitmap::make(1, 1);
    ASSERT_TRUE(black);
    black->setPixel(0, 0, Color::black().withAlpha(0.8));
    auto image = graphics::Image::make(*black);
    vistrel::setBarTintColor(navigation, Color::blue(), Color::green(), true, BarImage{image});
    EXPECT_FALSE(bar.backgroundImage()->isEmpty());
    EXPECT_TRUE(bar.shadowImage()->isEmpty());
    EXPECT_TRUE(bar.isTranslucent());
}
