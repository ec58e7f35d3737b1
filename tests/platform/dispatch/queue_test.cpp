#include <gtest/gtest.h>

#include <atomic>
#include <numeric>
#include <stdexcept>
#include <thread>
#include <vector>

#include "countdown.hpp"
#include "platform/dispatch/group.hpp"
#include "platform/dispatch/main_thread.hpp"
#include "platform/dispatch/queue.hpp"
#include "platform/dispatch/run_loop.hpp"
#include "platform/foundation/log.hpp"

namespace dispatch = platform::dispatch;
using dispatch::RunLoop;
using dispatch_test::Countdown;
using dispatch_test::kPatience;
using dispatch_test::upTo;
using QueueTest = dispatch_test::DrainedMainQueueTest;
using namespace std::chrono_literals;

namespace {

// Two blocks on the global queue that each wait for the other: gives how many met, which
// is two only when they ran at once. Each first calls `also`.
template <class Also>
int meetOnGlobal(Also also) {
    Countdown meet(2);
    std::atomic<int> met{0};
    dispatch::Group group;
    for (int i = 0; i < 2; ++i)
        group.async(dispatch::global(), [&] {
            also();
            if (meet.arriveAndWait(kPatience)) ++met;
        });
    EXPECT_TRUE(group.wait(kPatience * 2));
    return met.load();
}

}  // namespace

TEST_F(QueueTest, MainQueueRunsInSubmissionOrderOnTheMainThread) {
    std::vector<int> order;
    bool allOnMain = true;
    for (int i = 0; i < 100; ++i)
        dispatch::main().async([&, i] {
            order.push_back(i);
            allOnMain = allOnMain && dispatch::isMainThread() && dispatch::main().isCurrent();
        });
    EXPECT_TRUE(order.empty());  // nothing runs until the run loop does
    EXPECT_EQ(RunLoop::runUntilIdle(), 100u);
    EXPECT_EQ(order, upTo(100));
    EXPECT_TRUE(allOnMain);
}

TEST_F(QueueTest, SerialQueueRunsOneAtATimeInOrderOffTheMainThread) {
    const auto queue = dispatch::makeSerialQueue("serial.order");
    std::vector<int> order;  // unguarded on purpose: the queue is the only lock
    std::atomic<int> inFlight{0};
    std::atomic<bool> overlapped{false}, onMain{false}, notCurrent{false};
    for (int i = 0; i < 500; ++i)
        queue.async([&, i] {
            if (inFlight.fetch_add(1) != 0) overlapped = true;
            if (dispatch::isMainThread() || dispatch::main().isCurrent()) onMain = true;
            if (!queue.isCurrent()) notCurrent = true;
            order.push_back(i);
            inFlight.fetch_sub(1);
        });
    queue.sync([] {});
    EXPECT_EQ(order, upTo(500));
    EXPECT_EQ((std::vector<bool>{overlapped, onMain, notCurrent, queue.isCurrent()}), std::vector<bool>(4, false));
}

TEST_F(QueueTest, GlobalQueueRunsBlocksConcurrentlyOffTheMainThread) {
    // Two blocks that each wait for the other can only both finish when they run at once.
    std::atomic<bool> onMain{false};
    EXPECT_EQ(meetOnGlobal([&] { onMain = onMain || dispatch::isMainThread(); }), 2);
    EXPECT_FALSE(onMain);
}

TEST_F(QueueTest, SyncOnASerialQueueWaitsForEarlierBlocksAndRunsItsOwn) {
    const auto queue = dispatch::makeSerialQueue("serial.sync");
    std::vector<int> order;
    for (int i = 0; i < 3; ++i)
        queue.async([&, i] {
            std::this_thread::sleep_for(2ms);
            order.push_back(i);
        });
    const auto other = dispatch::makeSerialQueue("serial.other");
    bool ranInside = false, mainInside = false;
    queue.sync([&] {
        ranInside = queue.isCurrent() && !other.isCurrent();
        mainInside = dispatch::main().isCurrent();  // a sync from the main thread runs on it
        order.push_back(3);
    });
    EXPECT_EQ(std::pair(ranInside, mainInside), std::pair(true, true));
    EXPECT_EQ(order, upTo(4));
    // Blocks queued after a sync still run, and in order.
    queue.async([&] { order.push_back(4); });
    queue.sync([&] { order.push_back(5); });
    EXPECT_EQ(order, upTo(6));
}

TEST_F(QueueTest, SyncOntoTheQueueAlreadyRunningRunsInlineInsteadOfDeadlocking) {
    platform::LogCapture log;
    const auto a = dispatch::makeSerialQueue("serial.a");
    const auto b = dispatch::makeSerialQueue("serial.b");
    std::vector<std::string> steps;
    a.sync([&] {
        steps.push_back("a");
        a.sync([&] { steps.push_back("a in a"); });
        b.sync([&] {
            steps.push_back("b in a");
            EXPECT_TRUE(a.isCurrent() && b.isCurrent());
            a.sync([&] { steps.push_back("a in b in a"); });
        });
    });
    EXPECT_EQ(steps, (std::vector<std::string>{"a", "a in a", "b in a", "a in b in a"}));
}

TEST_F(QueueTest, SyncOnGlobalAndOnMainFromTheMainThreadRunInline) {
    const auto caller = std::this_thread::get_id();
    std::pair<std::thread::id, bool> inside;  // the thread, and whether the global queue was current
    dispatch::global().sync([&] { inside = {std::this_thread::get_id(), dispatch::global().isCurrent()}; });
    EXPECT_EQ(inside, std::pair(caller, true));
    EXPECT_FALSE(dispatch::global().isCurrent());

    bool mainRan = false;
    dispatch::main().sync([&] { mainRan = true; });
    EXPECT_TRUE(mainRan);
}

TEST_F(QueueTest, SyncOnMainFromAnotherThreadWaitsForTheRunLoop) {
    std::atomic<bool> returned{false};
    bool ranOnMain = false;
    std::thread worker([&] {
        dispatch::main().sync([&] { ranOnMain = dispatch::isMainThread(); });
        returned = true;
    });
    EXPECT_TRUE(RunLoop::runUntil([&] { return returned.load(); }, kPatience));
    worker.join();
    EXPECT_TRUE(ranOnMain);
}

TEST_F(QueueTest, ASerialQueueLivesWhileWorkIsPendingOnIt) {
    auto counter = std::make_shared<std::atomic<int>>(0);
    Countdown done(1);
    {
        const auto queue = dispatch::makeSerialQueue("serial.dropped");
        queue.async([] { std::this_thread::sleep_for(5ms); });
        for (int i = 0; i < 100; ++i) queue.async([counter] { ++*counter; });
        queue.async([&done] { done.arrive(); });
    }  // the last handle goes here
    ASSERT_TRUE(done.waitFor(kPatience));
    EXPECT_EQ(counter->load(), 100);
}

TEST_F(QueueTest, ABlockThatThrowsIsLoggedAndTheQueueGoesOn) {
    platform::LogCapture log;
    const auto serial = dispatch::makeSerialQueue("serial.throws");
    std::vector<int> ran;
    serial.async([] { throw std::runtime_error("bad\nline"); });
    serial.async([&] { ran.push_back(1); });
    serial.async([] { throw 42; });
    serial.sync([&] { ran.push_back(2); });
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    EXPECT_TRUE(log.contains("dispatch :: a block on queue 'serial.throws' threw :: bad\\nline"));

    dispatch::main().async([] { throw std::logic_error("main"); });
    dispatch::main().async([&] { ran.push_back(3); });
    EXPECT_EQ(RunLoop::runUntilIdle(), 2u);

    // More throwing blocks than workers: the pool must still have every worker after.
    dispatch::Group group;
    for (int i = 0; i < 16; ++i) group.async(dispatch::global(), [] { throw std::runtime_error("pool"); });
    ASSERT_TRUE(group.wait(kPatience));
    EXPECT_EQ(meetOnGlobal([] {}), 2);
    EXPECT_EQ(log.count("'global' threw :: pool"), 16u);

    dispatch::global().sync([] { throw std::runtime_error("inline"); });  // caught on the caller too
}

TEST_F(QueueTest, AnEmptyBlockIsHarmless) {
    const auto serial = dispatch::makeSerialQueue("serial.empty");
    serial.async(nullptr);
    serial.sync(nullptr);
    dispatch::global().async(nullptr);
    dispatch::main().async(nullptr);
    EXPECT_EQ(RunLoop::runUntilIdle(), 1u);
}
