// Opening, closing and toggling with each item animation kind, on the manual clock.
#include "fab_test_support.hpp"

#include <numbers>

#include "vistrel/platform/ui/animation_log.hpp"

namespace fabtest {
namespace {

struct KindCase {
    FabOpenAnimationType type;
    std::vector<Point> opened;         // origins of the three items once open
    std::vector<double> openDelays;    // of each item's alpha change; empty: not animated
    double openEnd;                    // when fabDidOpen falls due
    std::vector<Point> closed;         // origins once closed
    std::vector<double> closeDelays;   // in item order
    double closeEnd;
    double closedScale;                // of the items' transform once closed
};

const KindCase kinds[] = {
    {FabOpenAnimationType::pop, {{7, -56}, {7, -112}, {7, -168}}, {0, 0.1, 0.2}, 0.5,
     {{7, -56}, {7, -112}, {7, -168}}, {0.2, 0.1, 0}, 0.35, 0.4},
    {FabOpenAnimationType::fade, {{7, -56}, {7, -112}, {7, -168}}, {0, 0.2, 0.4}, 0.8,
     {{7, -56}, {7, -112}, {7, -168}}, {0.4, 0.2, 0}, 0.8, 1},
    {FabOpenAnimationType::slideLeft, {{7, -56}, {7, -112}, {7, -168}}, {0, 0.1, 0.2}, 0.5,
     {{70, -56}, {70, -112}, {70, -168}}, {0.2, 0.1, 0}, 0.5, 1},
    {FabOpenAnimationType::slideUp, {{7, -56}, {7, -112}, {7, -168}}, {0, 0, 0}, 0.3,
     {{7, 0}, {7, 0}, {7, 0}}, {0, 0, 0}, 0.3, 1},
    {FabOpenAnimationType::slideDown, {{7, 56}, {7, 112}, {7, 168}}, {0, 0, 0}, 0.3,
     {{7, 0}, {7, 0}, {7, 0}}, {0, 0, 0}, 0.3, 1},
    {FabOpenAnimationType::none, {{7, -56}, {7, -112}, {7, -168}}, {}, 0.3, {{7, 0}, {7, 0}, {7, 0}}, {}, 0.3, 1},
};

std::vector<double> alphaDelays(const AnimationLog& log, const std::vector<std::shared_ptr<FabItem>>& items) {
    std::vector<double> delays;
    for (const auto& item : items)
        for (const auto& e : log.entries(*item))
            if (e.property == AnimatableProperty::alpha) delays.push_back(e.timing.delay);
    return delays;
}

std::vector<Point> origins(const std::vector<std::shared_ptr<FabItem>>& items) {
    std::vector<Point> points;
    // Where the untransformed item lies (a shrunk item keeps its place).
    for (const auto& item : items)
        points.push_back({item->center().x - item->bounds().width() / 2, item->center().y - item->bounds().height() / 2});
    return points;
}

class FabAnimationTest : public FabTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(FabAnimationTest, OpensAndClosesItemsOnTheClockWithDelegateCallsInOrder) {
    const KindCase& k = GetParam();
    auto fab = placedFab();
    auto delegate = std::make_shared<RecordingDelegate>();
    fab->setFabDelegate(delegate);
    fab->openAnimationType = k.type;
    for (const char* title : {"one", "two", "three"}) fab->addItem(title);
    const auto& items = fab->items();

    AnimationLog log;
    fab->toggle();
    EXPECT_EQ(std::tuple(origins(items), alphaDelays(log, items), delegate->calls),
              std::tuple(k.opened, k.openDelays, std::vector<std::string>{"fabWillOpen closed", "fabOpened closed"}));
    for (const auto& item : items)
        EXPECT_EQ(std::tuple(item->alpha(), item->transform()), std::tuple(1.0, AffineTransform::identity()));
    EXPECT_NEAR(fab->plusLayer().transform().b, std::sin(-std::numbers::pi / 4), 1e-9);
    EXPECT_EQ(fab->overlayView()->superview(), window);
    time.advance(std::chrono::duration_cast<platform::dispatch::Duration>(std::chrono::duration<double>(k.openEnd)) - 1ms);
    EXPECT_EQ(delegate->calls.size(), 2u);
    time.advance(1ms);
    EXPECT_EQ(std::tuple(delegate->calls.back(), delegate->calls.size()), std::tuple("fabDidOpen open", 3u))
        << "the group reports once";

    log.clear();
    delegate->calls.clear();
    fab->toggle();
    EXPECT_EQ(std::tuple(origins(items), alphaDelays(log, items), delegate->calls),
              std::tuple(k.closed, k.closeDelays, std::vector<std::string>{"fabWillClose open", "fabClosed open"}));
    for (const auto& item : items) {
        EXPECT_EQ(item->alpha(), 0);
        EXPECT_NEAR(item->transform().a, k.closedScale, 1e-9);
    }
    time.advance(std::chrono::duration_cast<platform::dispatch::Duration>(std::chrono::duration<double>(k.closeEnd)) - 1ms);
    EXPECT_EQ(delegate->calls.size(), 2u);
    time.advance(1ms);
    EXPECT_EQ(std::tuple(delegate->calls.back(), fab->overlayView()->superview(), fab->closed()),
              std::tuple("fabDidClose closed", nullptr, true));

    // Every opening starts from the identity, whatever the last closing left.
    fab->openAnimationType = FabOpenAnimationType::fade;
    fab->open();
    for (const auto& item : items) EXPECT_EQ(item->transform(), AffineTransform::identity());
}

INSTANTIATE_TEST_SUITE_P(Kinds, FabAnimationTest, ::testing::ValuesIn(kinds));

TEST_F(FabTest, HiddenItemsTakeNoPlaceInTheColumn) {
    auto fab = placedFab();
    auto a = fab->addItem("a");
    auto hidden = fab->addItem("b");
    auto c = fab->addItem("c");
    hidden->setHidden(true);
    fab->open();
    EXPECT_EQ(std::tuple(c->frame().origin.y, hidden->alpha()), std::tuple(-112.0, 0.0));
}

TEST_F(FabTest, ToggleWithoutItemsOnlyTellsTheDelegateAndOpenWithoutItemsStillReports) {
    auto fab = placedFab();
    auto delegate = std::make_shared<RecordingDelegate>();
    fab->setFabDelegate(delegate);
    fab->toggle();
    EXPECT_EQ(std::tuple(delegate->calls, fab->closed(), fab->overlayView()->superview()),
              std::tuple(std::vector<std::string>{"emptyFabSelected closed"}, true, nullptr));
    delegate->calls.clear();
    fab->open();
    time.advance(0ms);
    EXPECT_EQ(delegate->calls,
              (std::vector<std::string>{"fabWillOpen closed", "fabOpened closed", "fabDidOpen open"}));
}

TEST_F(FabTest, TheOverlayClosesTheMenuAndLeavesWhenTheClosingEnds) {
    auto fab = placedFab();
    fab->addItem("a");
    fab->open();
    EXPECT_EQ(window->subviews().back(), fab) << "the button ends on top of the overlay";
    tap(window, {10, 10});
    EXPECT_EQ(std::tuple(fab->closed(), fab->overlayView()->alpha()), std::tuple(true, 0.0));
    time.advance(1s);
    EXPECT_EQ(std::tuple(fab->overlayView()->superview(), fab->overlayView()->actionCount(ControlEvents::touchUpInside)),
              std::tuple(nullptr, 0u));
}

TEST_F(FabTest, PendingAnimationsHoldTheButtonUntilTheyEnd) {
    std::weak_ptr<Fab> weak;
    auto delegate = std::make_shared<RecordingDelegate>();
    {
        auto fab = placedFab();
        weak = fab;
        fab->setFabDelegate(delegate);
        fab->addItem("a");
        fab->open();
        fab->removeFromSuperview();
    }
    EXPECT_FALSE(weak.expired());
    time.advance(1s);
    EXPECT_EQ(std::tuple(weak.expired(), delegate->calls.back()), std::tuple(true, "fabDidOpen open"));
}

}  // namespace
}  // namespace fabtest
