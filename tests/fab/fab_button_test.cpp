// The button's making, drawing, corner placement and keyboard moves.
#include "fab_test_support.hpp"

#include <numbers>

#include "vistrel/core/palette.hpp"
#include "vistrel/platform/ui/animation_log.hpp"
#include "vistrel/platform/ui/notification_center_names.hpp"
#include "vistrel/platform/ui/screen.hpp"
#include "vistrel/platform/ui/view_properties.hpp"

namespace fabtest {
namespace {

void postKeyboard(std::string_view name, double height) {
    NotificationCenter::defaultCenter().post(
        std::string(name), nullptr, keyboardUserInfo(Rect{0, 667 - height, 375, height}, Rect{0, 667 - height, 375, height}));
}

TEST_F(FabTest, InitialisersGiveSizeFromTheirArgumentAndRunNoChangeEffects) {
    auto custom = Fab::fromStoryboard(Rect{10, 20, 80, 60});
    EXPECT_EQ(std::tuple(Fab().frame(), Fab(70.0).frame(), custom->size(), custom->clipsToBounds()),
              std::tuple(Rect{0, 0, 56, 56}, Rect{0, 0, 70, 70}, 60.0, false));
}

TEST_F(FabTest, DrawingBuildsOneCircleAndOnePlusSignInTheCornerHoweverOftenItRuns) {
    auto fab = placedFab();
    fab->setNeedsDisplay();
    fab->displayIfNeeded();
    EXPECT_EQ(fab->frame(), (Rect{305, 597, 70, 70}));
    const auto& sublayers = fab->layer().sublayers();
    ASSERT_EQ(sublayers.size(), 2u);
    EXPECT_EQ(std::tuple(sublayers[0].get(), sublayers[1].get(), fab->circleLayer().frame(), fab->circleLayer().cornerRadius()),
              std::tuple(&fab->circleLayer(), &fab->plusLayer(), Rect{0, 0, 56, 56}, 28.0));
}

TEST_F(FabTest, AButtonImageReplacesThePlusSignCentredOnTheCircle) {
    auto fab = placedFab();
    fab->setButtonImage(*platform::graphics::Image::make(*platform::graphics::Bitmap::make(160, 160), 2));
    fab->displayIfNeeded();
    // Keeps its size, overhangs evenly.
    EXPECT_EQ(std::tuple(fab->buttonImageView()->frame(), fab->buttonImageView()->superview()),
              std::tuple(Rect{-12, -12, 80, 80}, fab));
}

// Re-deriving the size of a custom-frame button asks for no further pass, and does not
// pull the items of an open menu back onto the button.
TEST_F(FabTest, ACustomFrameButtonStaysAndItsDrawingSettlesInOnePass) {
    auto fab = std::make_shared<Fab>(Rect{10, 20, 80, 60});
    window->addSubview(fab);
    fab->addItem("one");
    fab->displayIfNeeded();
    EXPECT_EQ(std::tuple(fab->frame(), fab->circleLayer().frame()), std::tuple(Rect{10, 20, 80, 60}, Rect{0, 0, 60, 60}));
    fab->open();
    const Rect opened = fab->items()[0]->frame();
    fab->setNeedsDisplay();
    fab->displayIfNeeded();
    EXPECT_EQ(std::tuple(fab->needsDisplay(), fab->items()[0]->frame()), std::tuple(false, opened));
}

TEST_F(FabTest, CornerPlacementFollowsLayoutDirectionAndFriendlyTap) {
    struct Case {
        bool rtl, friendlyTap, inWindow;
        Rect frame;
        double scaleX;
    };
    const Case cases[] = {
        {false, true, true, {305, 597, 70, 70}, 1},  {true, true, true, {0, 597, 70, 70}, -1},
        {false, false, true, {305, 597, 56, 56}, 1}, {true, false, true, {0, 597, 56, 56}, -1},
        {false, true, false, {305, 597, 70, 70}, 1},  // no superview: the main screen
    };
    for (const auto& c : cases) {
        vistrel::FabManager::defaultInstance().setRtlMode(c.rtl);
        auto fab = std::make_shared<Fab>();
        fab->friendlyTap = c.friendlyTap;
        if (c.inWindow) window->addSubview(fab);
        fab->displayIfNeeded();
        EXPECT_EQ(std::tuple(fab->frame(), fab->transform().a), std::tuple(c.frame, c.scaleX))
            << c.rtl << c.friendlyTap << c.inWindow;
        fab->removeFromSuperview();
    }
}

TEST_F(FabTest, SizeChangesKeepItemsCentredOnTheButton) {
    auto fab = placedFab();
    auto item = fab->addItem("a");
    EXPECT_EQ(item->frame().origin, (Point{7, 7}));
    fab->setItemSize(70);
    EXPECT_EQ(item->frame(), (Rect{7, 7, 70, 70}));
    fab->setSize(70);
    EXPECT_EQ(std::tuple(item->frame().origin, fab->needsDisplay()), std::tuple(Point{0, 0}, true));
}

TEST_F(FabTest, AKeyboardMovesTheButtonAboveItAndPutsItBackWhenItHides) {
    struct Case {
        bool rtl;
        bool custom;
        Rect jump, above;
    };
    const Case cases[] = {
        {false, false, {305, 381, 70, 70}, {305, 381, 56, 56}},
        {true, false, {0, 381, 70, 70}, {14, 381, 56, 56}},
        {false, true, {10, 20, 80, 60}, {301, 377, 60, 60}},
    };
    for (const auto& c : cases) {
        vistrel::FabManager::defaultInstance().setRtlMode(c.rtl);
        auto fab = c.custom ? std::make_shared<Fab>(Rect{10, 20, 80, 60}) : std::make_shared<Fab>();
        window->addSubview(fab);
        fab->displayIfNeeded();
        const Rect before = fab->frame();
        const AffineTransform transform = fab->transform();
        AnimationLog log;
        postKeyboard(keyboardWillShowNotification, 216);
        auto moves = log.entries(*fab);
        ASSERT_FALSE(moves.empty());
        // The layout direction is kept.
        EXPECT_EQ(std::tuple(std::get<Rect>(moves.back().from), fab->frame(), moves.back().timing.duration, fab->transform()),
                  std::tuple(c.jump, c.above, 0.2, transform)) << c.rtl << c.custom;
        postKeyboard(keyboardWillHideNotification, 216);
        EXPECT_EQ(std::tuple(fab->frame(), fab->transform()), std::tuple(before, transform));
        fab->removeFromSuperview();
    }
}

TEST_F(FabTest, StickyOrDeafButtonsIgnoreTheKeyboardAndOrientationNeedsAKeyboardRect) {
    auto fab = placedFab();
    const Rect before = fab->frame();
    std::vector<Rect> frames;
    fab->sticky = true;
    postKeyboard(keyboardWillShowNotification, 216);
    frames.push_back(fab->frame());
    fab->sticky = false;
    fab->respondsToKeyboard = false;
    postKeyboard(keyboardWillShowNotification, 216);
    frames.push_back(fab->frame());
    NotificationCenter::defaultCenter().post(std::string(deviceOrientationDidChangeNotification));
    frames.push_back(fab->frame());
    EXPECT_EQ(frames, std::vector<Rect>(3, before));
    postKeyboard(deviceOrientationDidChangeNotification, 100);
    EXPECT_EQ(fab->frame(), (Rect{305, 497, 70, 70}));
}

TEST_F(FabTest, ADestroyedButtonHearsNoNotifications) {
    const auto registered = NotificationCenter::defaultCenter().observerCount();
    { auto fab = std::make_shared<Fab>(); }
    EXPECT_EQ(NotificationCenter::defaultCenter().observerCount(), registered);
    postKeyboard(keyboardWillShowNotification, 216);  // reaches nothing freed (ASan)
}

}  // namespace
}  // namespace fabtest

namespace fabtest {
namespace {

TEST_F(FabTest, AStoryboardSetsPropertiesByNameThroughTheSameChangeEffects) {
    auto fab = placedFab();
    auto item = fab->addItem("a");
    EXPECT_TRUE(setValueForKey(*fab, "itemSize", 50.0) && setValueForKey(*fab, "autoCloseOnTap", false) &&
                setValueForKey(*fab, "itemImageColor", Color::red()));
    EXPECT_FALSE(setValueForKey(*fab, "rotationDegrees", std::string("90")));
    EXPECT_EQ(std::tuple(item->size(), fab->autoCloseOnTap, valueForKey(*fab, "itemImageColor"), fab->rotationDegrees),
              std::tuple(50.0, false, std::optional(PropertyValue(Color::red())), -45.0));
}

}  // namespace
}  // namespace fabtest
