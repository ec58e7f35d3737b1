#include <gtest/gtest.h>

#include <chrono>

#include "vistrel/platform/dispatch/clock.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/ui/image_view.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/window.hpp"

using namespace platform::ui;
using namespace std::chrono_literals;
using platform::graphics::Bitmap;

namespace {

Bitmap filled(Color colour) {
    auto bitmap = *Bitmap::make(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) bitmap.setPixel(x, y, colour);
    return bitmap;
}

// Red, green, blue: a third of a second each.
Image threeColours() {
    return *Image::animated({filled(Color::red()), filled(Color::green()), filled(Color::blue())}, 1.0);
}

// The colour in the middle of the view, as the window shows it now.
Color shown(Window& window) {
    auto bitmap = render(window, 1);
    return bitmap ? bitmap->pixel(5, 5) : Color::clear();
}

}  // namespace

TEST(AnimatedImageViewTest, ARenderingShowsTheFrameDueAtTheClocksTime) {
    platform::dispatch::ScopedManualClock clock;
    auto window = std::make_shared<Window>(Rect{0, 0, 10, 10});
    auto view = std::make_shared<ImageView>(Rect{0, 0, 10, 10});
    window->addSubview(view);
    window->makeKeyAndVisible();
    view->setImage(threeColours());
    EXPECT_TRUE(view->isAnimating());  // an animated image plays once shown

    // Each step is a clock time and the colour it shows: the start, inside the second
    // frame, on the boundary of the third, then round again.
    const std::pair<std::chrono::milliseconds, Color> steps[] = {
        {0ms, Color::red()}, {500ms, Color::green()}, {667ms, Color::blue()}, {1100ms, Color::red()}};
    auto start = clock->now();
    for (const auto& [at, colour] : steps) {
        clock->set(start + at);
        platform::dispatch::RunLoop::runUntilIdle();  // the update pass marks the view for display
        EXPECT_TRUE(shown(*window).isClose(colour, 0.01)) << at.count() << " ms";
    }

    // An animation without duration still moves on.
    ImageView alone(*Image::animated({filled(Color::red()), filled(Color::green())}, 0));
    alone.startAnimating();
    clock->advance(std::chrono::duration<double>(ImageView::defaultFrameSeconds * 1.5));
    EXPECT_EQ(alone.currentFrame(), 1u);
}
