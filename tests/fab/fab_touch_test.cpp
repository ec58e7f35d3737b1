// Touches on the button and its items, hit areas, superview tracking, and items that
// leave in odd ways.
#include "fab_test_support.hpp"

#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/scroll_view.hpp"

namespace fabtest {
namespace {

Point labelCentre(FabItem& item) {
    const Rect r = item.titleLabel().convertRect(item.titleLabel().bounds(), nullptr);
    return {r.midX(), r.midY()};
}

Point circleCentre(FabItem& item) {
    const Rect r = item.convertRect(item.bounds(), nullptr);
    return {r.midX(), r.midY()};
}

TEST_F(FabTest, OpenItemsTakeTouchesOnCircleLabelAndMarginOnEitherSideInEitherDirection) {
    for (bool rtl : {false, true}) {
        vistrel::FabManager::defaultInstance().setRtlMode(rtl);
        // A button in the middle of a wide window, so that titles on either side lie
        // inside it; mirrored as the corner placement mirrors it in right-to-left mode.
        window->setFrame({0, 0, 1000, 667});
        auto fab = std::make_shared<Fab>(Rect{400, 400, 56, 56});
        window->addSubview(fab);
        if (rtl) fab->setTransform(AffineTransform::scale(-1, 1));
        auto left = fab->addItem("Left side", std::optional<FabItemLabelPositionType>{});
        auto right = fab->addItem("Right side", FabItemLabelPositionType::right);
        EXPECT_EQ(left->titleLabelPosition, FabItemLabelPositionType::left);
        for (const auto& item : {left, right})
            EXPECT_NE(window->hitTest(labelCentre(*item), nullptr), item) << "closed: the items take nothing";
        fab->open();
        for (const auto& item : {left, right})
            EXPECT_EQ(std::tuple(window->hitTest(labelCentre(*item), nullptr), window->hitTest(circleCentre(*item), nullptr)),
                      std::tuple(item, item)) << rtl;
        // Beside the circle, away from a label on the left: a 20-point margin, and the
        // padding of a button with a given frame.
        const Rect circle = left->convertRect(left->bounds(), nullptr);
        const double outward = rtl ? circle.minX() - 30 : circle.maxX() + 30;
        EXPECT_EQ(window->hitTest({outward, circle.midY()}, nullptr), left) << rtl;
        const double beyond = rtl ? circle.minX() - 40 : circle.maxX() + 40;
        EXPECT_NE(window->hitTest({beyond, circle.midY()}, nullptr), left) << rtl;
        fab->removeFromSuperview();
    }
}

TEST_F(FabTest, ACustomFrameButtonWidensItemTapAreasByItsPadding) {
    auto fab = std::make_shared<Fab>(Rect{200, 400, 56, 56});
    window->addSubview(fab);
    auto item = fab->addItem("x", FabItemLabelPositionType::right);
    fab->open();
    const Rect label = item->titleLabel().convertRect(item->titleLabel().bounds(), nullptr);
    const Point past{label.maxX() + 25, label.midY()};  // beyond the plain margin, inside the padding
    EXPECT_EQ(window->hitTest(past, nullptr), item);
}

TEST_F(FabTest, ATapTogglesAnotherTouchDoesNotAndACancelledTouchRemovesTheTint) {
    auto fab = placedFab();
    fab->addItem("a");
    const Point button{fab->frame().origin.x + 28, fab->frame().origin.y + 28};
    tap(window, button);
    EXPECT_FALSE(fab->closed());
    time.advance(1s);
    tap(window, button);
    EXPECT_TRUE(fab->closed());
    time.advance(1s);
    doubleTap(window, button);
    EXPECT_EQ(std::tuple(fab->closed(), fab->tintLayer().superlayer()), std::tuple(false, nullptr))
        << "only the first tap of a double tap toggles";
    fab->close();
    {
        TouchSequence touch(window, button);
        EXPECT_NE(fab->tintLayer().superlayer(), nullptr);
        touch.cancel();
    }
    EXPECT_EQ(std::tuple(fab->tintLayer().superlayer(), fab->closed()), std::tuple(nullptr, true));
}

TEST_F(FabTest, AnItemTapClosesTheMenuFirstThenRunsItsHandler) {
    for (bool autoClose : {true, false}) {
        auto fab = placedFab();
        fab->autoCloseOnTap = autoClose;
        std::vector<bool> closedDuringHandler;
        Fab* raw = fab.get();
        auto item = fab->addItem("a", [&closedDuringHandler, raw](FabItem&) { closedDuringHandler.push_back(raw->closed()); });
        fab->open();
        tap(window, circleCentre(*item));
        EXPECT_EQ(std::tuple(closedDuringHandler, item->tintLayer().superlayer()),
                  std::tuple(std::vector<bool>{autoClose}, nullptr));
        fab->removeFromSuperview();
    }
}

TEST_F(FabTest, AHandlerMayRemoveItsOwnItemOrTearDownItsScreen) {
    auto screen = std::make_shared<View>(Rect{0, 0, 375, 667});
    window->addSubview(screen);
    auto fab = std::make_shared<Fab>();
    screen->addSubview(fab);
    fab->displayIfNeeded();
    std::weak_ptr<Fab> weak = fab;
    auto remover = fab->addItem("remove me", [weak](FabItem& item) {
        if (auto f = weak.lock()) f->removeItem(item);
    });
    auto teardown = fab->addItem("leave", [&](FabItem&) {
        screen->removeFromSuperview();
        screen.reset();
        fab.reset();
    });
    weak.lock()->open();
    tap(window, circleCentre(*remover));
    ASSERT_EQ(weak.lock()->items().size(), 1u);
    EXPECT_EQ(std::tuple(remover->superview(), remover->actionButton()), std::tuple(nullptr, nullptr));
    weak.lock()->open();
    const Point at = circleCentre(*teardown);
    teardown.reset();
    tap(window, at);
    EXPECT_EQ(screen, nullptr);
    time.advance(1s);
    EXPECT_TRUE(weak.expired());
}

TEST_F(FabTest, AnItemOutsideAMenuDrawsAndTakesTapsWithItsOwnSize) {
    auto item = std::make_shared<FabItem>();
    int taps = 0;
    item->handler = [&](FabItem&) { ++taps; };
    item->setSize(50);
    window->addSubview(item);
    item->displayIfNeeded();
    tap(window, {25, 25});
    EXPECT_EQ(std::tuple(item->circleLayer().frame(), taps), std::tuple(Rect{0, 0, 50, 50}, 1));
}

TEST_F(FabTest, AnItemBelongsToOneMenuOnce) {
    auto first = placedFab();
    auto second = placedFab();
    auto item = std::make_shared<FabItem>();
    first->addItem(item);
    first->addItem(item);
    EXPECT_EQ(first->items().size(), 1u);
    second->addItem(item);
    first->open();  // animates nothing it no longer holds
    EXPECT_EQ(std::tuple(first->items().size(), item->superview(), item->actionButton(), item->alpha()),
              std::tuple(0u, second, second, 0.0));
}

TEST_F(FabTest, RemovingOutOfRangeDoesNothingAndSaysSo) {
    auto fab = placedFab();
    fab->addItem("a");
    platform::LogCapture capture;
    EXPECT_FALSE(fab->removeItem(std::size_t{3}));
    EXPECT_EQ(std::tuple(capture.contains("no item at position 3 of 1"), fab->items().size()), std::tuple(true, 1u));
    EXPECT_TRUE(fab->removeItem(std::size_t{0}) && fab->subviews().empty());
}

TEST_F(FabTest, ACustomFrameButtonInAScrollViewFollowsTheVisibleCornerOnlyWhenSticky) {
    for (bool sticky : {true, false}) {
        auto scroll = std::make_shared<ScrollView>(Rect{0, 0, 375, 667});
        scroll->setContentSize({375, 2000});
        window->addSubview(scroll);
        auto fab = std::make_shared<Fab>(Rect{100, 100, 56, 56});
        fab->sticky = sticky;
        scroll->addSubview(fab);
        EXPECT_EQ(scroll->observationCount("contentOffset"), sticky ? 1u : 0u);
        scroll->setContentOffset({0, 200});
        EXPECT_EQ(fab->frame(), (sticky ? Rect{305, 797, 56, 56} : Rect{100, 100, 56, 56}));
        // Whatever changes in between, leaving removes exactly what entering made.
        fab->sticky = !sticky;
        platform::LogCapture capture;
        fab->removeFromSuperview();
        EXPECT_EQ(std::tuple(capture.lines().size(), scroll->observationCount("contentOffset"),
                             scroll->observationCount("frame"), scroll->observationCount("bounds")),
                  std::tuple(0u, 0u, 0u, 0u));
        scroll->removeFromSuperview();
    }
}

TEST_F(FabTest, ASelfPlacingButtonFollowsItsSuperviewsSizeAndADestroyedOneIsNotCalled) {
    auto screen = std::make_shared<View>(Rect{0, 0, 375, 667});
    window->addSubview(screen);
    {
        auto fab = std::make_shared<Fab>();
        screen->addSubview(fab);
        fab->addItem("a");
        fab->open();
        screen->setFrame({0, 0, 300, 500});
        EXPECT_EQ(std::tuple(fab->frame(), fab->overlayView()->frame()), std::tuple(Rect{230, 430, 70, 70}, Rect{0, 0, 300, 500}));
        fab->close();
        time.advance(1s);
        fab->removeFromSuperview();
    }
    EXPECT_EQ(screen->observationCount("frame"), 0u);
    screen->setFrame({0, 0, 375, 667});  // reaches nothing freed (ASan)
}

}  // namespace
}  // namespace fabtest
