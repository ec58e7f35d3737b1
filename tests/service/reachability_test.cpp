#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/service/device_information.hpp"
#include "vistrel/service/reachability.hpp"

using namespace std::chrono_literals;
using platform::dispatch::RunLoop;
using vistrel::DeviceInformation;
using vistrel::Reachability;
using Status = vistrel::Reachability::NetworkStatus;
namespace Bits = platform::net::ReachabilityFlags;

namespace {

// Flags set by the test; a change is announced from a thread of its own, as the
// kernel's would be.
class FakeSource : public platform::net::ReachabilityFlagsSource {
public:
    std::atomic<int> starts{0};
    bool canWatch = true;

    std::optional<platform::net::ReachabilityFlagWord> currentFlags() const override {
        std::lock_guard guard(lock_);
        return flags_;
    }
    bool startWatching(std::function<void()> changed) override {
        ++starts;
        changed_ = std::move(changed);
        return canWatch;
    }
    void stopWatching() override { changed_ = nullptr; }
    void set(std::optional<platform::net::ReachabilityFlagWord> now) {
        std::lock_guard guard(lock_);
        flags_ = now;
    }
    void announce(std::optional<platform::net::ReachabilityFlagWord> now) {
        set(now);
        std::thread([changed = changed_] { if (changed) changed(); }).join();
    }

private:
    mutable std::mutex lock_;
    std::optional<platform::net::ReachabilityFlagWord> flags_ = Bits::reachable;
    std::function<void()> changed_;
};

// A monitor over the fake source, posting to a centre of its own; the posts are counted.
struct ReachabilityTest : ::testing::Test {
    std::shared_ptr<FakeSource> source = std::make_shared<FakeSource>();
    platform::ui::NotificationCenter center;
    int posted = 0;
    bool allOnMain = true;

    std::shared_ptr<Reachability> monitor() {
        center.addObserver(std::string(vistrel::ReachabilityChangedNotification), nullptr,
                           [this](const platform::ui::Notification&) {
                               ++posted;
                               allOnMain = allOnMain && platform::dispatch::isMainThread();
                           });
        auto made = Reachability::make(source);
        made->setNotificationCenter(center);
        return made;
    }
};

}  // namespace

TEST_F(ReachabilityTest, FlagsToStatus) {
    struct Row {
        std::optional<platform::net::ReachabilityFlagWord> flags;
        bool onDevice;
        bool reachableOnWWAN;
        Status status;
    };
    const Row rows[] = {
        {Bits::reachable, true, true, Status::reachableViaWiFi},
        {Bits::reachable | Bits::isWWAN, true, true, Status::reachableViaWWAN},
        {Bits::reachable | Bits::isWWAN, true, false, Status::notReachable},
        {Bits::reachable | Bits::isWWAN, false, false, Status::reachableViaWiFi},
        {Bits::reachable | Bits::connectionRequired, true, true, Status::reachableViaWiFi},
        {Bits::reachable | Bits::connectionRequired | Bits::transientConnection, true, true, Status::notReachable},
        {0, true, true, Status::notReachable},
        {std::nullopt, true, true, Status::notReachable},
    };
    auto watched = monitor();
    for (const Row& row : rows) {
        source->set(row.flags);
        watched->setIsRunningOnDevice(row.onDevice);
        watched->setReachableOnWWAN(row.reachableOnWWAN);
        EXPECT_EQ(watched->currentReachabilityStatus(), row.status) << "row " << &row - rows;
    }
}

TEST_F(ReachabilityTest, ChangesRunTheHandlerAndPostOnTheMainQueueOncePerChange) {
    auto watched = monitor();
    int reachable = 0, unreachable = 0;
    watched->setWhenReachable([&](Reachability&) { ++reachable; });
    watched->setWhenUnreachable([&](Reachability&) { ++unreachable; });
    EXPECT_FALSE(watched->startNotifier() || watched->startNotifier());
    EXPECT_EQ(source->starts, 1);
    ASSERT_TRUE(RunLoop::runUntil([&] { return posted == 1; }, 2min));
    source->announce(Bits::reachable);  // the same flags: nothing runs
    source->announce(0);
    ASSERT_TRUE(RunLoop::runUntil([&] { return posted == 2; }, 2min));
    RunLoop::runUntilIdle();
    EXPECT_EQ(std::tuple(posted, reachable, unreachable, allOnMain), std::tuple(2, 1, 1, true));
}

TEST_F(ReachabilityTest, AMonitorReleasedWithWorkQueuedIsNeverUsed) {
    {
        auto watched = monitor();
        watched->startNotifier();
        source->announce(0);
    }
    std::this_thread::sleep_for(20ms);  // let the serial queue hand over what it holds
    RunLoop::runUntilIdle();
    EXPECT_EQ(posted, 0);
}

// A monitor that cannot watch gives no network type and tries again at the next read.
TEST_F(ReachabilityTest, AFailedStartGivesNoNetworkTypeAndIsTriedAgain) {
    source->canWatch = false;
    DeviceInformation cut(Reachability::make(source));
    const std::vector<std::string> types = {cut.networkType(), cut.networkType()};
    EXPECT_EQ(std::tuple(types, source->starts.load(), DeviceInformation(nullptr).reachabilityStatus()),
              std::tuple(std::vector<std::string>{"", ""}, 2, Status::notReachable));
    RunLoop::runUntilIdle();
}

// Passes with or without a network, and where route sockets are not allowed.
TEST(RealReachabilityTest, RoutingStateSmoke) {
    auto monitor = Reachability::make();
    ASSERT_TRUE(monitor);
    EXPECT_LE(static_cast<int>(monitor->currentReachabilityStatus()), 2);
    monitor->startNotifier();
    RunLoop::runFor(20ms);
}
