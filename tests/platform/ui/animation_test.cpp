#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "support/manual_time.hpp"
#include "vistrel/platform/dispatch/clock.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/animation.hpp"
#include "vistrel/platform/ui/view.hpp"
#include "vistrel/platform/ui/window.hpp"

using namespace platform::ui;
namespace dispatch = platform::dispatch;
using namespace std::chrono_literals;

using testsupport::ManualTime;

TEST(AnimationTest, TheBlockSetsFinalValuesAtOnceAndCompletionsWaitForTheEndInOrder) {
    ManualTime time;
    auto view = std::make_shared<View>(Rect{0, 0, 10, 10});
    std::vector<bool> finished;
    animate(0.3, [&] { view->setAlpha(0); }, [&](bool f) { finished.push_back(f); });
    EXPECT_EQ(view->alpha(), 0);  // the model value, before any time has passed

    dispatch::RunLoop::runUntilIdle();
    time.advance(299ms);
    EXPECT_TRUE(finished.empty());
    time.clock->advance(1ms);
    EXPECT_TRUE(finished.empty()) << "the completion runs on the main queue, not on the clock's call";
    dispatch::RunLoop::runUntilIdle();
    EXPECT_EQ(finished, std::vector<bool>{true});

    // Completions run in end order, ties in start order, even without changes.
    std::vector<std::string> order;
    auto record = [&](std::string name) { return [&order, name](bool f) { order.push_back(name + (f ? "" : "!")); }; };

    animate(0.3, [&] { view->setAlpha(0.5); }, record("a"));           // ends 0.3
    animate(0.1, 0.2, AnimationOptions::none, [] {}, record("b"));     // ends 0.3: after a
    animate(0.2, 0, 0.5, 0.8, AnimationOptions::none, nullptr, record("c"));  // spring, ends 0.2
    animate(0, [] {}, record("d"));                                    // ends now
    animate(0.05, 0.25, AnimationOptions::curveLinear, [] {}, record("e"));  // ends 0.3: after b

    time.advance(0ms);
    EXPECT_EQ(order, (std::vector<std::string>{"d"}));
    time.advance(1s);
    EXPECT_EQ(order, (std::vector<std::string>{"d", "c", "a", "b", "e"}));
}

TEST(AnimationTest, BadDurationsAndDelaysCountAsZero) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        double duration, delay;
    };
    const Case cases[] = {
        {"negative duration", -1, 0}, {"negative delay", 0, -5}, {"NaN duration", nan, 0},
        {"NaN delay", 0, nan},        {"infinite duration", inf, 0}, {"infinite delay", 0, inf},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ManualTime time;
        platform::LogCapture capture;
        bool done = false;
        animate(c.duration, c.delay, AnimationOptions::none, [] {}, [&](bool) { done = true; });
        time.advance(0ms);
        EXPECT_TRUE(done);
    }
}
