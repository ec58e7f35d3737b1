#include <gtest/gtest.h>

#include "vistrel/core/device_diagonal.hpp"
#include "vistrel/platform/ui/screen.hpp"

using platform::ui::Rect;
using platform::ui::Screen;

TEST(DeviceDiagonalTest, TheLongerSideOfTheScreenNamesTheDiagonal) {
    struct Case { double width, height, scale; const char* diagonal; };
    const Rect saved = Screen::main().bounds();
    const double savedScale = Screen::main().scale();
    for (const Case& c : {Case{375, 667, 2, "4.7"}, Case{375, 667, 3, "5.5"}, Case{667, 375, 3, "5.5"},
                          Case{1024, 768, 2, "9.7"}, Case{375, 812, 3, "0"}, Case{375, 667.5, 2, "0"}}) {
        Screen::main().setBounds({0, 0, c.width, c.height});
        Screen::main().setScale(c.scale);
        EXPECT_EQ(vistrel::diagonal(), c.diagonal) << c.width << " x " << c.height << " @" << c.scale;
    }
    Screen::main().setBounds(saved);
    Screen::main().setScale(savedScale);
}
