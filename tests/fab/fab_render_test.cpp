// What the open menu looks like where it matters: the button's circle and plus sign,
// and an item's circle above it.
#include "fab_test_support.hpp"

#include "vistrel/core/palette.hpp"
#include "vistrel/platform/ui/render.hpp"

namespace fabtest {
namespace {

TEST_F(FabTest, TheOpenMenuDrawsTheButtonAndItsItemsInThePrimaryColour) {
    auto fab = placedFab();
    fab->addItem("Item", std::optional<FabItemLabelPositionType>{});
    fab->open();
    time.advance(1s);
    auto shot = render(*window, 1);
    ASSERT_TRUE(shot);
    const Color primary = vistrel::vistrelPrimary();
    // The circle at (305, 597), 56 wide: away from the plus sign, and the item 56 above.
    EXPECT_EQ(shot->pixel(305 + 12, 597 + 28), primary);
    EXPECT_EQ(shot->pixel(305 + 28, 597 - 56 + 7 + 21 - 12), primary);
    EXPECT_NE(shot->pixel(305 + 28, 597 + 28), primary) << "the plus sign crosses the centre";
    EXPECT_EQ(shot->pixel(200, 300), Color::white()) << "the overlay is clear by default";
}

}  // namespace
}  // namespace fabtest
