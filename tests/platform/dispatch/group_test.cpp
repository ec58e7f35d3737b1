#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "countdown.hpp"
#include "platform/dispatch/group.hpp"
#include "platform/dispatch/queue.hpp"
#include "platform/dispatch/run_loop.hpp"
#include "platform/foundation/log.hpp"

namespace dispatch = platform::dispatch;
using dispatch::RunLoop;
using dispatch_test::kPatience;
using namespace std::chrono_literals;

using GroupTest = dispatch_test::DrainedMainQueueTest;

TEST_F(GroupTest, EveryNotificationFiresOnceInOrderWhenTheLastLeavesAndAtOnceOnAnEmptyGroup) {
    dispatch::Group group;
    std::vector<std::string> order;
    group.notify(dispatch::main(), [&] { order.push_back("empty"); });
    EXPECT_EQ(RunLoop::runUntilIdle(), 1u);
    EXPECT_TRUE(group.wait(0ms));
    EXPECT_TRUE(group.wait(std::chrono::hours::max()));  // no overflow in the deadline
    group.enter();
    group.enter();
    for (std::string name : {"first", "second", "third"}) group.notify(dispatch::main(), [&, name] { order.push_back(name); });
    group.leave();
    EXPECT_EQ(RunLoop::runUntilIdle(), 0u);  // one still inside
    group.leave();
    EXPECT_EQ(RunLoop::runUntilIdle(), 3u);
    EXPECT_EQ(order, (std::vector<std::string>{"empty", "first", "second", "third"}));

    // The group can be used again; old notifications do not fire again.
    group.enter();
    group.notify(dispatch::main(), [&] { order.push_back("again"); });
    EXPECT_EQ(RunLoop::runUntilIdle(), 0u);
    group.leave();
    EXPECT_EQ(RunLoop::runUntilIdle(), 1u);
    EXPECT_EQ(order, (std::vector<std::string>{"empty", "first", "second", "third", "again"}));
}

TEST_F(GroupTest, JoinsWorkOnSeveralQueuesAndCallsBackOnMain) {
    // As a scanner does: a request and a detection job run elsewhere; the result is
    // put together on the main queue once both are done.
    dispatch::Group group;
    const auto detection = dispatch::makeSerialQueue("detection");
    std::mutex mutex;
    std::vector<std::string> parts;
    group.async(dispatch::global(), [&] {
        std::this_thread::sleep_for(3ms);
        std::lock_guard lock(mutex);
        parts.push_back("request");
    });
    group.async(detection, [&] {
        std::lock_guard lock(mutex);
        parts.push_back("code");
    });
    bool calledBack = false;
    std::size_t partsSeen = 0;
    group.notify(dispatch::main(), [&] {
        calledBack = dispatch::main().isCurrent();
        std::lock_guard lock(mutex);
        partsSeen = parts.size();
    });
    EXPECT_TRUE(RunLoop::runUntil([&] { return calledBack; }, kPatience));
    EXPECT_EQ(partsSeen, 2u);
}

TEST_F(GroupTest, WaitGivesFalseOnTimeoutAndTrueOnceEmpty) {
    dispatch::Group group;
    group.enter();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(group.wait(20ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 20ms);
    EXPECT_FALSE(group.wait(-1s));

    std::thread leaver([&] {
        std::this_thread::sleep_for(5ms);
        group.leave();
    });
    EXPECT_TRUE(group.wait(kPatience));
    leaver.join();
}

TEST_F(GroupTest, ALeaveWithoutEnterIsIgnored) {
    platform::LogCapture log;
    dispatch::Group group;
    group.leave();

    // The count did not go below zero: one enter and one leave still balance.
    int fired = 0;
    group.enter();
    group.notify(dispatch::main(), [&] { ++fired; });
    EXPECT_FALSE(group.wait(0ms));
    group.leave();
    EXPECT_TRUE(group.wait(0ms));
    group.leave();
    EXPECT_EQ(RunLoop::runUntilIdle(), 1u);
    EXPECT_EQ(fired, 1);
}

TEST_F(GroupTest, AsyncLeavesEvenWhenTheBlockThrows) {
    platform::LogCapture log;
    dispatch::Group group;
    const auto queue = dispatch::makeSerialQueue("group.throws");
    group.async(queue, [] { throw std::runtime_error("lost"); });
    group.async(dispatch::main(), [] { throw 7; });
    EXPECT_EQ(RunLoop::runUntilIdle(), 1u);
    EXPECT_TRUE(group.wait(kPatience));
}
