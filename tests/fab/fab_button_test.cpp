// The button's making, drawing, corner placement and keyboard moves.
#include "fab_test_support.hpp"

#include <numbers>

#include "core/palette.hpp"
#include "platform/ui/animation_log.hpp"
#include "platform/ui/notification_center_names.hpp"
#include "platform/ui/screen.hpp"
#include "platform/ui/view_properties.hpp"

namespace fabtest {
namespace {

void postKeyboard(std::string_view name, double height) {
    NotificationCenter::defaultCenter().post(
        std::string(name), nullptr, keyboardUserInfo(Rect{0, 667 - height, 375, height}, Rect{0, 667 - height, 375, height}));
}

TEST_F(FabTest, InitialisersGiveSizeFromTheirArgumentAndRunNoChangeEffects) {
    EXPECT_EQ(Fab().size(), 56);
    EXPECT_EQ(Fab().frame(), (Rect{0, 0, 56, 56}));
    EXPECT_EQ(Fab(70.0).frame(), (Rect{0, 0, 70, 70}));
    auto custom = Fab::fromStoryboard(Rect{10, 20, 80, 60});
    EXPECT_EQ(custom->size(), 60);
    EXPECT_FALSE(custom->clipsToBounds());
    EXPECT_TRUE(Fab().closed());
    EXPECT_EQ(Fab().buttonColor, vistrel::vistrelPrimary());
}

TEST_F(FabTest, DrawingBuildsOneCircleAndOnePlusSignInTheCornerHoweverOftenItRuns) {
    auto fab = placedFab();
    fab->setNeedsDisplay();
    fab->displayIfNeeded();
    EXPECT_EQ(fab->frame(), (Rect{305, 597, 70, 70}));
    const auto& sublayers = fab->layer().sublayers();
    ASSERT_EQ(sublayers.size(), 2u);
    EXPECT_EQ(sublayers[0].get(), &fab->circleLayer());
    EXPECT_EQ(sublayers[1].get(), &fab->plusLayer());
    EXPECT_EQ(fab->circleLayer().frame(), (Rect{0, 0, 56, 56}));
    EXPECT_EQ(fab->circleLayer().cornerRadius(), 28);
    EXPECT_EQ(fab->circleLayer().shadowOpacity(), 0.4);
    EXPECT_EQ(fab->plusLayer().lineWidth(), 2);
    EXPECT_EQ(fab->plusLayer().lineCap(), LineCap::round);
    EXPECT_EQ(*fab->plusLayer().strokeColor(), Color::rgba(0.2, 0.2, 0.2, 1));
}

TEST_F(FabTest, AButtonImageReplacesThePlusSignCentredOnTheCircle) {
    auto fab = placedFab();
    auto image = platform::graphics::Image::make(*platform::graphics::Bitmap::make(160, 160), 2);
    ASSERT_TRUE(image);
    fab->setButtonImage(*image);
    fab->displayIfNeeded();
    EXPECT_EQ(fab->buttonImageView()->frame(), (Rect{-12, -12, 80, 80}));  // keeps its size, overhangs evenly
    EXPECT_EQ(fab->buttonImageView()->superview().get(), fab.get());
}

// Re-deriving the size of a custom-frame button asks for no further pass, and does not
// pull the items of an open menu back onto the button.
TEST_F(FabTest, ACustomFrameButtonStaysAndItsDrawingSettlesInOnePass) {
    auto fab = std::make_shared<Fab>(Rect{10, 20, 80, 60});
    window->addSubview(fab);
    fab->addItem("one");
    fab->displayIfNeeded();
    EXPECT_EQ(fab->frame(), (Rect{10, 20, 80, 60}));
    EXPECT_EQ(fab->circleLayer().frame(), (Rect{0, 0, 60, 60}));
    fab->open();
    const Rect opened = fab->items()[0]->frame();
    fab->setNeedsDisplay();
    fab->displayIfNeeded();
    EXPECT_FALSE(fab->needsDisplay());
    EXPECT_EQ(fab->items()[0]->frame(), opened);
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
        EXPECT_EQ(fab->frame(), c.frame) << c.rtl << c.friendlyTap << c.inWindow;
        EXPECT_EQ(fab->transform().a, c.scaleX);
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
    EXPECT_EQ(item->frame().origin, (Point{0, 0}));
    EXPECT_TRUE(fab->needsDisplay());
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
        EXPECT_EQ(std::get<Rect>(moves.back().from), c.jump) << c.rtl << c.custom;
        EXPECT_EQ(fab->frame(), c.above);
        EXPECT_EQ(moves.back().timing.duration, 0.2);
        EXPECT_EQ(fab->transform(), transform) << "the layout direction is kept";
        postKeyboard(keyboardWillHideNotification, 216);
        EXPECT_EQ(fab->frame(), before);
        EXPECT_EQ(fab->transform(), transform);
        fab->removeFromSuperview();
    }
}

TEST_F(FabTest, StickyOrDeafButtonsIgnoreTheKeyboardAndOrientationNeedsAKeyboardRect) {
    auto fab = placedFab();
    const Rect before = fab->frame();
    fab->sticky = true;
    postKeyboard(keyboardWillShowNotification, 216);
    EXPECT_EQ(fab->frame(), before);
    fab->sticky = false;
    fab->respondsToKeyboard = false;
    postKeyboard(keyboardWillShowNotification, 216);
    EXPECT_EQ(fab->frame(), before);
    NotificationCenter::defaultCenter().post(std::string(deviceOrientationDidChangeNotification));
    EXPECT_EQ(fab->frame(), before);
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
    EXPECT_TRUE(setValueForKey(*fab, "itemSize", 50.0));
    EXPECT_EQ(item->size(), 50);
    EXPECT_TRUE(setValueForKey(*fab, "autoCloseOnTap", false));
    EXPECT_FALSE(fab->autoCloseOnTap);
    EXPECT_TRUE(setValueForKey(*fab, "itemImageColor", Color::red()));
    EXPECT_EQ(valueForKey(*fab, "itemImageColor"), PropertyValue(Color::red()));
    EXPECT_FALSE(setValueForKey(*fab, "rotationDegrees", std::string("90")));
    EXPECT_EQ(fab->rotationDegrees, -45);
}

}  // namespace
}  // namespace fabtest
