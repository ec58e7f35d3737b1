#include <gtest/gtest.h>

#include <cmath>

#include "vistrel/platform/graphics/font_configuration.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"
#include "vistrel/platform/ui/bar_button_item.hpp"
#include "vistrel/platform/ui/button.hpp"
#include "vistrel/platform/ui/label.hpp"
#include "vistrel/platform/ui/screen.hpp"

using namespace platform::ui;
using platform::graphics::FontRegistry;

namespace {

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override { platform::graphics::useIsolatedFontConfiguration(); }
};

bool onPixelGrid(double v) {
    const double scaled = v * Screen::main().scale();
    return std::fabs(scaled - std::round(scaled)) < 1e-9;
}

}  // namespace

TEST_F(ControlsTest, ALabelFitsItsTextOnWholePixelsAndWrapsOnlyWithMoreThanOneLine) {
    Label label;
    label.setText("several words that will not fit on one short line");
    label.setFont(FontRegistry::shared().defaultFont(14));
    const Size oneLine = label.sizeThatFits({100, 1000});
    EXPECT_GT(oneLine.width, 100);  // a single line measures its whole width
    EXPECT_TRUE(onPixelGrid(oneLine.width) && onPixelGrid(oneLine.height));

    label.setNumberOfLines(0);
    const Size all = label.sizeThatFits({100, 1000});
    EXPECT_LE(all.width, 100);
    EXPECT_GT(all.height, 2.5 * oneLine.height);
    label.setNumberOfLines(2);
    EXPECT_NEAR(label.sizeThatFits({100, 1000}).height, 2 * oneLine.height, 1);
    // The height offered plays no part, however large.
    EXPECT_EQ(label.sizeThatFits({100, std::numeric_limits<double>::max()}), label.sizeThatFits({100, 1}));

    label.setNumberOfLines(-3);
    EXPECT_EQ(label.numberOfLines(), 0);
    label.setNumberOfLines(2);
    label.setFrame({3, 4, 100, 100});
    label.sizeToFit();
    EXPECT_EQ(label.frame().origin, (Point{3, 4}));
    EXPECT_EQ(label.frame().size, label.sizeThatFits({100, 1000}));
}

TEST_F(ControlsTest, AButtonFallsBackToItsNormalStateAndShowsTheCurrentOne) {
    Button button(ButtonType::custom, Rect{0, 0, 200, 44});
    button.setTitle("Normal");
    button.setTitleColor(Color::red());
    button.setTitle("Pressed", ControlState::highlighted);
    EXPECT_EQ(button.title(ControlState::selected), "Normal");
    button.setHighlighted(true);
    EXPECT_EQ(std::tuple(button.titleLabel()->text(), button.titleLabel()->textColor()), std::tuple("Pressed", Color::red()));
    button.setHighlighted(false);
    button.setTitle(std::nullopt);
    EXPECT_TRUE(button.titleLabel()->isHidden());
}

TEST(BarButtonItemTest, ItsOneActionGoesToALiveTargetWhenEnabled) {
    struct Target {
        int calls = 0;
        void go(BarButtonItem&) { ++calls; }
        void other() { calls += 100; }
    };
    auto item = std::make_shared<BarButtonItem>("Back");
    auto target = std::make_shared<Target>();
    item->setTarget(target, &Target::go);
    item->setTarget(target, &Target::other);  // replaces the first
    item->setEnabled(false);
    item->sendAction();
    item->setEnabled(true);
    item->sendAction();
    EXPECT_EQ(target->calls, 100);
    target.reset();
    EXPECT_FALSE(item->hasTarget());
}
