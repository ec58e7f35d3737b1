#include "vistrel/platform/ui/control.hpp"
#include "vistrel/platform/ui/touch_delivery.hpp"
#include "vistrel/platform/ui/view.hpp"

#include "ui_test_support.hpp"

using namespace uitest;

namespace {

// A window with a 100 x 100 parent at (50, 50) whose child sticks out to the right.
struct Scene {
    std::shared_ptr<Window> window = std::make_shared<Window>(Rect{0, 0, 300, 300});
    std::shared_ptr<View> parent = std::make_shared<View>(Rect{50, 50, 100, 100});
    std::shared_ptr<View> child = std::make_shared<View>(Rect{80, 10, 60, 20});
    Scene() {
        window->addSubview(parent);
        parent->addSubview(child);
        window->makeKeyAndVisible();
    }
    std::shared_ptr<View> hit(Point p) const { return window->hitTest(p, nullptr); }
};

}  // namespace

TEST(HitTestingTest, APartOfAChildOutsideItsParentTakesNoTouchesAndPointsFollowTransforms) {
    Scene s;
    EXPECT_EQ(s.hit({140, 70}), s.child);   // inside both
    EXPECT_EQ(s.hit({170, 70}), s.window);  // child only: the parent says no
    s.parent->setClipsToBounds(false);
    EXPECT_EQ(s.hit({170, 70}), s.window);  // clipping plays no part

    s.parent->setTransform(AffineTransform::scale(2, 2));  // parent spans 0...200
    // The child's (0,0) is at parent (80,10) -> window 100 + 2 * (80 - 50) = 160, 100 + 2 * (10 - 50) = 20.
    EXPECT_EQ(s.hit({161, 21}), s.child);
    EXPECT_EQ(s.hit({159, 21}), s.parent);
    s.child->setTransform(AffineTransform::scale(0, 0));  // flat: covers nothing
    EXPECT_EQ(s.hit({190, 30}), s.parent);
}

TEST(HitTestingTest, ViewsThatTakeNothing) {
    struct Case {
        const char* name;
        void (*change)(View&);
    };
    const Case cases[] = {
        {"hidden", [](View& v) { v.setHidden(true); }},
        {"alpha 0.01", [](View& v) { v.setAlpha(0.01); }},
        {"interaction off", [](View& v) { v.setUserInteractionEnabled(false); }},
    };
    for (const auto& c : cases) {
        Scene s;
        c.change(*s.child);
        EXPECT_EQ(s.hit({140, 70}), s.parent) << c.name;
        c.change(*s.parent);
        EXPECT_EQ(s.hit({140, 70}), s.window) << c.name;
    }
    Scene s;
    s.child->setAlpha(0.02);
    EXPECT_EQ(s.hit({140, 70}), s.child);
}

TEST(HitTestingTest, SubviewsAreAskedFrontToBackWithTheirOwnHitTest) {
    Scene s;
    // A child that widens its own area is asked even where its frame is not.
    struct Wide : View {
        using View::View;
        bool pointInside(Point p, const Event*) const override { return p.x >= -40 && p.x < 60 && p.y >= 0 && p.y < 20; }
    };
    auto wide = std::make_shared<Wide>(Rect{50, 60, 10, 20});
    s.parent->addSubview(wide);
    EXPECT_EQ(s.hit({70, 120}), wide);
    auto front = std::make_shared<View>(Rect{0, 50, 100, 50});
    s.parent->addSubview(front);
    EXPECT_EQ(s.hit({70, 120}), front);
}

TEST(TouchDeliveryTest, ATouchStaysWithTheViewItFirstHit) {
    Scene s;
    auto recorder = std::make_shared<TouchRecorder>(Rect{0, 0, 40, 40});
    s.parent->addSubview(recorder);
    {
        TouchSequence touch(s.window, {60, 60});
        touch.moveTo({250, 250});  // far outside it
        touch.end();
    }
    EXPECT_EQ(recorder->phases, (Lines{"began/1", "moved/1", "ended/1"}));
    EXPECT_EQ(recorder->locations.back(), (Point{200, 200}));

    recorder->phases.clear();
    doubleTap(s.window, {60, 60});
    cancelledTouch(s.window, {60, 60});
    { TouchSequence abandoned(s.window, {60, 60}); }  // a touch left down is cancelled
    EXPECT_EQ(recorder->phases,
              (Lines{"began/1", "ended/1", "began/2", "ended/2", "began/1", "cancelled/1", "began/1", "cancelled/1"}));

    // Touches a view does not handle go up the tree.
    recorder->phases.clear();
    auto plain = std::make_shared<View>(Rect{0, 0, 10, 10});
    recorder->addSubview(plain);
    EXPECT_EQ(tap(s.window, {55, 55}), plain);
    EXPECT_EQ(recorder->phases, (Lines{"began/1", "ended/1"}));
}

namespace {

struct Target {
    Lines calls;
    void tapped() { calls.push_back("tapped"); }
    void down(Control& c) { calls.push_back(c.isHighlighted() ? "down(highlighted)" : "down"); }
    void changed() { calls.push_back("changed"); }
};

}  // namespace

TEST(ControlTest, TargetActionsAreKeptOncePerTargetActionAndEventAndHeldWeakly) {
    auto control = std::make_shared<Control>(Rect{0, 0, 50, 50});
    auto target = std::make_shared<Target>();
    for (auto events : {ControlEvents::touchUpInside, ControlEvents::touchUpInside,
                        ControlEvents::touchUpInside | ControlEvents::valueChanged})
        control->addTarget(target, &Target::tapped, events);
    control->addTarget(target, &Target::changed, ControlEvents::valueChanged);
    auto other = std::make_shared<Target>();
    control->addTarget(other, &Target::tapped, ControlEvents::touchUpInside);
    control->sendActions(ControlEvents::touchUpInside);
    control->sendActions(ControlEvents::valueChanged);
    // Kept once each: the target's tap for both events, its change, the other's tap.
    EXPECT_EQ(target->calls, (Lines{"tapped", "tapped", "changed"}));
    EXPECT_EQ(other->calls, Lines{"tapped"});

    control->removeTarget(target.get(), &Target::tapped, ControlEvents::valueChanged);
    control->removeAllTargets(other.get());
    EXPECT_EQ(control->actionCount(ControlEvents::touchUpInside), 1u);
    EXPECT_EQ(control->actionCount(ControlEvents::valueChanged), 1u);

    // Targets are held weakly: one that is gone has nothing called.
    std::weak_ptr<Target> weak = target;
    target.reset();
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(control->actionCount(ControlEvents::valueChanged), 0u);
    control->sendActions(ControlEvents::valueChanged);
}

TEST(ControlTest, TouchesBecomeTouchDownAndTouchUpInside) {
    auto window = std::make_shared<Window>(Rect{0, 0, 200, 200});
    window->makeKeyAndVisible();
    auto control = std::make_shared<Control>(Rect{10, 10, 50, 50});
    window->addSubview(control);
    auto target = std::make_shared<Target>();
    control->addTarget(target, &Target::down, ControlEvents::touchDown);
    control->addTarget(target, &Target::tapped, ControlEvents::touchUpInside);

    EXPECT_EQ(tap(window, {20, 20}), control);
    EXPECT_EQ(target->calls, (Lines{"down(highlighted)", "tapped"}));
    EXPECT_FALSE(control->isHighlighted());

    target->calls.clear();
    swipe(window, {20, 20}, {150, 150});  // lifted outside
    EXPECT_EQ(target->calls, Lines{"down(highlighted)"});
    cancelledTouch(window, {20, 20});
    control->setEnabled(false);
    tap(window, {20, 20});
    EXPECT_EQ(target->calls, Lines(2, "down(highlighted)"));
}
