#include <gtest/gtest.h>

#include <chrono>

#include "vistrel/platform/dispatch/clock.hpp"
#include "vistrel/platform/graphics/font_configuration.hpp"
#include "vistrel/platform/ui/activity_indicator_view.hpp"
#include "vistrel/platform/ui/gradient_layer.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/text_view.hpp"

using namespace platform::ui;
using namespace std::chrono_literals;

TEST(ActivityIndicatorTest, ItHidesWhenStoppedAndItsBrightestSpokeFollowsTheClock) {
    platform::dispatch::ScopedManualClock clock;
    View root(Rect{0, 0, 37, 37});
    root.setBackgroundColor(Color::black());
    auto spinner = std::make_shared<ActivityIndicatorView>(ActivityIndicatorStyle::whiteLarge);
    root.addSubview(spinner);

    spinner->startAnimating();
    // Brightness of the top spoke and of the right-hand one (at scale 1).
    auto spokes = [&] {
        auto bitmap = render(root, 1);
        return std::pair(bitmap->pixel(18, 4).r, bitmap->pixel(32, 18).r);
    };
    const auto [topAtStart, rightAtStart] = spokes();
    EXPECT_GT(topAtStart, 0.95);
    EXPECT_LT(rightAtStart, 0.5);
    clock->advance(260ms);  // a quarter turn: the right-hand spoke leads
    const auto [topLater, rightLater] = spokes();
    EXPECT_GT(rightLater, 0.95);
    EXPECT_LT(topLater, topAtStart);

    spinner->stopAnimating();
    EXPECT_TRUE(spinner->isHidden());
}

TEST(GradientLayerTest, ColoursLieAlongTheLineAtTheirLocations) {
    const Color red = Color::red(), blue = Color::blue(), purple = Color::rgba(0.5, 0, 0.5);
    struct Case {
        std::vector<Color> colours;
        std::optional<std::vector<double>> locations;
        Color left, middle, right;  // at x = 0.5, 50 and 99.5 of 100
    };
    const Case cases[] = {
        {{red, blue}, std::nullopt, red, purple, blue},
        {{red, blue}, std::vector<double>{0.0, 0.5}, red, blue, blue},
        {{red, blue}, std::vector<double>{0.5}, red, purple, blue},  // one location for two colours: spread evenly
        {{}, std::nullopt, Color::clear(), Color::clear(), Color::clear()},
    };
    for (const Case& c : cases) {
        View root(Rect{0, 0, 100, 10});
        auto gradient = std::make_shared<GradientLayer>();
        gradient->setFrame(root.bounds());
        gradient->setColors(c.colours);
        gradient->setLocations(c.locations);
        gradient->setStartPoint({0, 0.5});
        gradient->setEndPoint({1, 0.5});
        root.layer().addSublayer(gradient);
        auto bitmap = render(root, 1);
        ASSERT_TRUE(bitmap);
        EXPECT_TRUE(bitmap->pixel(0, 5).isClose(c.left, 0.02));
        EXPECT_TRUE(bitmap->pixel(50, 5).isClose(c.middle, 0.02)) << c.colours.size();
        EXPECT_TRUE(bitmap->pixel(99, 5).isClose(c.right, 0.02));
    }
}

TEST(TextViewTest, TextWrapsFromTheTopInsideItsInset) {
    platform::graphics::useIsolatedFontConfiguration();
    TextView view(Rect{0, 0, 120, 200});
    view.setText("a text long enough to wrap over several lines of this narrow view");
    const double height = view.sizeThatFits({120, 0}).height;
    EXPECT_GT(height, 16 + 3 * 12);

    auto bitmap = render(view, 1);
    ASSERT_TRUE(bitmap);
    auto inked = [&](int top, int bottom) {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < 120; ++x) count += bitmap->pixel(x, y).a > 0.5;
        return count;
    };
    EXPECT_EQ(inked(0, 8) + inked(int(height) + 2, 200), 0);  // inside the inset, from the top
    EXPECT_GT(inked(8, int(height)), 100);
}
