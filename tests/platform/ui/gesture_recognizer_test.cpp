#include <chrono>

#include "support/manual_time.hpp"
#include "vistrel/platform/ui/button.hpp"
#include "vistrel/platform/ui/long_press_gesture_recognizer.hpp"
#include "vistrel/platform/ui/swipe_gesture_recognizer.hpp"
#include "vistrel/platform/ui/tap_gesture_recognizer.hpp"
#include "vistrel/platform/ui/touch_delivery.hpp"

#include "ui_test_support.hpp"

using namespace uitest;
using namespace std::chrono_literals;

namespace {

struct Listener {
    std::vector<GestureRecognizerState> states;
    std::vector<Point> locations;
    void handle(GestureRecognizer& r) {
        states.push_back(r.state());
        locations.push_back(r.location(r.view().get()));
    }
};

struct Scene {
    std::shared_ptr<Window> window = std::make_shared<Window>(Rect{0, 0, 300, 300});
    std::shared_ptr<View> area = std::make_shared<View>(Rect{100, 100, 100, 100});
    std::shared_ptr<View> inner = std::make_shared<View>(Rect{10, 10, 20, 20});
    std::shared_ptr<Listener> listener = std::make_shared<Listener>();
    Scene() {
        window->addSubview(area);
        area->addSubview(inner);
        window->makeKeyAndVisible();
    }
    template <class R>
    std::shared_ptr<R> attach() {
        auto r = std::make_shared<R>();
        r->addTarget(listener, &Listener::handle);
        area->addGestureRecognizer(r);
        return r;
    }
};

using S = GestureRecognizerState;

}  // namespace

TEST(GestureRecognizerTest, SingleAndDoubleTapsOnTheViewOrItsSubviewsAreRecognised) {
    Scene s;
    auto single = s.attach<TapGestureRecognizer>();
    tap(s.window, {115, 115});  // on the subview
    tap(s.window, {250, 250});  // elsewhere
    swipe(s.window, {150, 150}, {190, 150});  // moved too far for a tap
    EXPECT_EQ(s.listener->states, std::vector<S>{S::ended});
    EXPECT_EQ(s.listener->locations.front().x, 15);

    // A double-tap recogniser waits for the second tap.
    s.listener->states.clear();
    single->setNumberOfTapsRequired(2);
    tap(s.window, {150, 150});
    EXPECT_TRUE(s.listener->states.empty());
    tap(s.window, {150, 150}, 2);
    EXPECT_EQ(s.listener->states, std::vector<S>{S::ended});

    // With its target gone it still recognises, with no one to tell.
    s.listener.reset();
    EXPECT_EQ(single->actionCount(), 0u);
    tap(s.window, {115, 115});
    tap(s.window, {115, 115}, 2);
}

TEST(GestureRecognizerTest, SwipesInTheAllowedDirectionOnly) {
    struct Case {
        SwipeDirection allowed;
        Point from, to;
        bool recognised;
    };
    const Case cases[] = {
        {SwipeDirection::right, {110, 150}, {190, 160}, true},
        {SwipeDirection::right, {190, 150}, {110, 150}, false},
        {SwipeDirection::left | SwipeDirection::up, {190, 150}, {110, 150}, true},
        {SwipeDirection::up, {150, 190}, {150, 110}, true},
        {SwipeDirection::down, {150, 110}, {150, 140}, false},  // too short
    };
    for (const auto& c : cases) {
        Scene s;
        auto r = s.attach<SwipeGestureRecognizer>();
        r->setDirection(c.allowed);
        swipe(s.window, c.from, c.to);
        EXPECT_EQ(s.listener->states.size(), c.recognised ? 1u : 0u) << c.from.x << "," << c.from.y;
    }
}

TEST(GestureRecognizerTest, ALongPressBeginsAfterTheMinimumDurationOnTheClock) {
    testsupport::ManualTime time;
    Scene s;
    s.attach<LongPressGestureRecognizer>();
    {
        TouchSequence touch(s.window, {150, 150});
        time.advance(400ms);
        EXPECT_TRUE(s.listener->states.empty());
        time.advance(100ms);
        EXPECT_EQ(s.listener->states, std::vector<S>{S::began});
        touch.moveTo({160, 150});
        touch.end();
    }
    EXPECT_EQ(s.listener->states, (std::vector<S>{S::began, S::changed, S::ended}));

    // Released early: nothing, and the old timer does not fire for a later touch.
    s.listener->states.clear();
    tap(s.window, {150, 150});
    TouchSequence later(s.window, {150, 150});
    time.advance(300ms);
    EXPECT_TRUE(s.listener->states.empty());
}

TEST(GestureRecognizerTest, ARecognisedGestureCancelsTheViewsTouchesButNotAButtons) {
    Scene s;
    auto recorder = std::make_shared<TouchRecorder>(Rect{50, 50, 40, 40});
    s.area->addSubview(recorder);
    auto r = s.attach<TapGestureRecognizer>();
    tap(s.window, {160, 160});
    EXPECT_EQ(recorder->phases, (Lines{"began/1", "cancelled/1"}));

    recorder->phases.clear();
    r->setCancelsTouchesInView(false);
    tap(s.window, {160, 160});
    EXPECT_EQ(recorder->phases, (Lines{"began/1", "ended/1"}));

    // A button keeps its taps from the recogniser above it.
    s.listener->states.clear();
    auto button = std::make_shared<Button>(ButtonType::custom, Rect{50, 50, 40, 40});
    s.area->addSubview(button);
    auto counter = std::make_shared<Tally>();
    button->addTarget(counter, &Tally::tapped, ControlEvents::touchUpInside);
    tap(s.window, {160, 160});
    EXPECT_EQ(counter->taps, 1);
    EXPECT_TRUE(s.listener->states.empty());
}
