#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <numeric>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "dispatch_test_support.hpp"
#include "vistrel/platform/dispatch/group.hpp"
#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace dispatch = platform::dispatch;
using dispatch::RunLoop;
using dispatch_test::kPatience;
using QueueTest = dispatch_test::DrainedMainQueueTest;
using GroupTest = dispatch_test::DrainedMainQueueTest;
using namespace std::chrono_literals;

TEST_F(QueueTest, MainQueueRunsInSubmissionOrderWithBlocksQueuedMeanwhileLast) {
    std::vector<int> order;
    for (int i = 0; i < 100; ++i)
        dispatch::main().async([&, i] {
            if (i == 0) dispatch::main().async([&] { order.push_back(100); });
            order.push_back(i);
        });
    EXPECT_TRUE(order.empty());  // nothing runs until the run loop does
    EXPECT_EQ(RunLoop::runUntilIdle(), 101u);
    std::vector<int> expected(101);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(order, expected);
}

TEST_F(QueueTest, SyncOntoTheQueueAlreadyRunningRunsInlineInsteadOfDeadlocking) {
    platform::LogCapture log;
    const auto a = dispatch::makeSerialQueue("serial.a");
    const auto b = dispatch::makeSerialQueue("serial.b");
    std::vector<std::string> steps;
    a.sync([&] {
        steps.push_back("a");
        b.sync([&] {
            steps.push_back("b in a");
            EXPECT_TRUE(a.isCurrent() && b.isCurrent());
            a.sync([&] { steps.push_back("a in b in a"); });
        });
    });
    EXPECT_EQ(steps, (std::vector<std::string>{"a", "b in a", "a in b in a"}));
}

TEST_F(QueueTest, SyncOnMainRunsInlineOnTheMainThreadAndElsewhereWaitsForTheRunLoop) {
    bool ranInline = false;
    dispatch::main().sync([&] { ranInline = true; });
    EXPECT_TRUE(ranInline);

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
    dispatch::Group done;
    {
        const auto queue = dispatch::makeSerialQueue("serial.dropped");
        queue.async([] { std::this_thread::sleep_for(5ms); });
        for (int i = 0; i < 100; ++i) done.async(queue, [counter] { ++*counter; });
    }  // the last handle goes here
    ASSERT_TRUE(done.wait(kPatience));
    EXPECT_EQ(counter->load(), 100);
}

TEST_F(QueueTest, ABlockThatThrowsIsLoggedAnEmptyOneIgnoredAndTheQueueGoesOn) {
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

    // More throwing blocks than workers: the pool must still have workers after.
    dispatch::Group group;
    for (int i = 0; i < 16; ++i) group.async(dispatch::global(), [] { throw std::runtime_error("pool"); });
    group.async(dispatch::global(), [&] { ran.push_back(4); });
    ASSERT_TRUE(group.wait(kPatience));
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(log.count("'global' threw :: pool"), 16u);

    dispatch::global().sync([] { throw std::runtime_error("inline"); });  // caught on the caller too

    // An empty block is harmless.
    serial.async(nullptr);
    serial.sync(nullptr);
    dispatch::global().async(nullptr);
    dispatch::main().async(nullptr);
    EXPECT_EQ(RunLoop::runFor(1ms), 1u);
}

TEST_F(QueueTest, RunUntilStopsAsSoonAsThePredicateHoldsAndGivesFalseOnTimeout) {
    bool flag = false;
    int after = 0;
    dispatch::main().async([&] { flag = true; });
    dispatch::main().async([&] { ++after; });
    EXPECT_TRUE(RunLoop::runUntil([&] { return flag; }, kPatience));
    EXPECT_EQ(after, 0);  // the loop stopped right after the block that made it true

    // With nothing posted, the predicate is still checked again until the timeout.
    int checks = 0;
    EXPECT_FALSE(RunLoop::runUntil([&] { return ++checks == 0; }, 30ms));
    EXPECT_GE(checks, 2);
    EXPECT_FALSE(RunLoop::runUntil([] { return false; }, -1s));
    EXPECT_TRUE(RunLoop::runUntil([] { return true; }, std::chrono::hours::max()));

    platform::LogCapture log;
    EXPECT_FALSE(RunLoop::runUntil(std::function<bool()>{}, 1ms));
}

TEST_F(QueueTest, OnlyTheMainThreadRunsTheLoop) {
    platform::LogCapture log;
    bool ran = false;
    dispatch::main().async([&] { ran = true; });
    // On another thread: whether it is the main one, what runUntilIdle and runFor ran, and runUntil.
    std::tuple<bool, std::size_t, std::size_t, bool> worker{true, 99, 99, true};
    std::thread([&] {
        worker = {dispatch::isMainThread(), RunLoop::runUntilIdle(), RunLoop::runFor(1ms),
                  RunLoop::runUntil([] { return true; }, 1ms)};
    }).join();
    EXPECT_EQ(worker, std::tuple(false, 0u, 0u, false));
    EXPECT_FALSE(ran);
    EXPECT_EQ(RunLoop::runUntilIdle(), 1u);
}

TEST_F(GroupTest, EveryNotificationFiresOnceInOrderWhenTheLastLeavesAndAtOnceOnAnEmptyGroup) {
    dispatch::Group group;
    std::vector<std::string> order;
    group.notify(dispatch::main(), [&] { order.push_back("empty"); });
    EXPECT_EQ(RunLoop::runUntilIdle(), 1u);
    EXPECT_TRUE(group.wait(std::chrono::hours::max()));  // no overflow in the deadline
    group.enter();
    group.enter();
    for (std::string name : {"first", "second", "third"}) group.notify(dispatch::main(), [&, name] { order.push_back(name); });
    group.leave();
    EXPECT_EQ(RunLoop::runUntilIdle(), 0u);  // one still inside
    group.leave();
    EXPECT_EQ(RunLoop::runUntilIdle(), 3u);

    // The group can be used again; old notifications do not fire again.
    group.enter();
    group.notify(dispatch::main(), [&] { order.push_back("again"); });
    group.leave();
    EXPECT_EQ(RunLoop::runUntilIdle(), 1u);
    EXPECT_EQ(order, (std::vector<std::string>{"empty", "first", "second", "third", "again"}));
}

TEST_F(GroupTest, WaitGivesFalseOnTimeoutAndTrueWhenAnotherThreadLeaves) {
    dispatch::Group group;
    group.enter();
    EXPECT_FALSE(group.wait(20ms));
    EXPECT_FALSE(group.wait(-1s));

    // The last leave on a worker thread also posts the notification to the main queue.
    bool notified = false;
    group.notify(dispatch::main(), [&] { notified = true; });
    std::thread leaver([&] {
        std::this_thread::sleep_for(5ms);
        group.leave();
    });
    EXPECT_TRUE(group.wait(kPatience));
    leaver.join();
    EXPECT_TRUE(RunLoop::runUntil([&] { return notified; }, kPatience));
}

TEST_F(GroupTest, ALeaveWithoutEnterIsIgnoredAndAThrowingBlockStillLeaves) {
    platform::LogCapture log;
    dispatch::Group group;
    group.leave();
    // The count did not go below zero: one enter and one leave still balance.
    group.enter();
    EXPECT_FALSE(group.wait(0ms));
    group.leave();
    EXPECT_TRUE(group.wait(0ms));

    // Async leaves even when the block throws.
    const auto queue = dispatch::makeSerialQueue("group.throws");
    group.async(queue, [] { throw std::runtime_error("lost"); });
    group.async(dispatch::main(), [] { throw 7; });
    EXPECT_EQ(RunLoop::runUntilIdle(), 1u);
    EXPECT_TRUE(group.wait(kPatience));
}

// Every worker busy with utility work and more of it queued: a block the user waits for
// is the next to start. One utility block is let go; the worker it frees must take the
// user-initiated block, not the next utility one (which would wait for a permit).
TEST_F(QueueTest, AUserInitiatedBlockStartsBeforeQueuedUtilityWork) {
    constexpr int kUtility = 16;
    std::mutex mutex;
    std::condition_variable changed;
    int permits = 0;
    bool userInitiatedRan = false;
    dispatch::Group done;
    for (int i = 0; i < kUtility; ++i)
        done.async(dispatch::global(dispatch::QualityOfService::utility), [&] {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return permits > 0; });
            --permits;
        });
    done.async(dispatch::global(), [&] {
        std::lock_guard lock(mutex);
        userInitiatedRan = true;
        changed.notify_all();
    });
    std::unique_lock lock(mutex);
    ++permits;
    changed.notify_all();
    // A hang here (the bound) means the freed worker took utility work first.
    EXPECT_TRUE(changed.wait_for(lock, kPatience, [&] { return userInitiatedRan; }));
    permits += kUtility;
    changed.notify_all();
    lock.unlock();
    ASSERT_TRUE(done.wait(kPatience));
}

namespace {

// Where a thread that ran a block goes: the count of those that ran one and then left the
// pool, noted as their thread ends (a thread-local value's destruction).
struct PoolWatch {
    std::mutex mutex;
    std::condition_variable changed;
    int running = 0, most = 0, left = 0;
    bool release = false;
};
PoolWatch& poolWatch() {
    static auto* watch = new PoolWatch;  // threads may end after the test
    return *watch;
}
struct LeaveNote {
    bool armed = false;
    ~LeaveNote() {
        if (!armed) return;
        std::lock_guard lock(poolWatch().mutex);
        ++poolWatch().left;
        poolWatch().changed.notify_all();
    }
};
thread_local LeaveNote leaveNote;

// Every worker waits in a group's wait, so spares start and take the queued work. Once the
// waits end, the workers they held are surplus and leave before taking any of the work
// still queued: the pool never runs more unblocked blocks than its size.
TEST_F(QueueTest, SpareWorkersLeaveOnceWaitsEndEvenWithWorkQueued) {
    const int size = dispatch_test::poolSize();
    auto& watch = poolWatch();
    {
        std::lock_guard lock(watch.mutex);
        watch.running = watch.most = watch.left = 0;
        watch.release = false;
    }
    dispatch::Group gate, waited, worked;
    gate.enter();
    for (int i = 0; i < size; ++i)
        waited.async(dispatch::global(), [gate] {
            leaveNote.armed = true;
            gate.wait(kPatience);
        });
    for (int i = 0; i < 3 * size; ++i)
        worked.async(dispatch::global(), [&watch] {
            std::unique_lock lock(watch.mutex);
            watch.most = std::max(watch.most, ++watch.running);
            watch.changed.notify_all();
            watch.changed.wait(lock, [&] { return watch.release; });
            --watch.running;
        });
    std::unique_lock lock(watch.mutex);
    ASSERT_TRUE(watch.changed.wait_for(lock, kPatience, [&] { return watch.running == size; }));
    lock.unlock();
    gate.leave();
    lock.lock();
    // Either every worker that waited has left, or one took queued work (a hang: neither).
    EXPECT_TRUE(watch.changed.wait_for(lock, kPatience, [&] { return watch.left == size || watch.most > size; }));
    EXPECT_EQ(std::pair(watch.most, watch.left), std::pair(size, size));
    watch.release = true;
    watch.changed.notify_all();
    lock.unlock();
    EXPECT_TRUE(worked.wait(kPatience));
    EXPECT_TRUE(waited.wait(kPatience));
}

}  // namespace
