#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/dispatch/run_loop.hpp"
#include "platform/dispatch/main_thread.hpp"
#include "platform/ui/screen.hpp"
#include "service/device_information.hpp"
#include "service/reachability.hpp"

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
    std::atomic<std::optional<platform::net::ReachabilityFlagWord>> flags{Bits::reachable};
    std::atomic<int> starts{0};
    bool canWatch = true;

    std::optional<platform::net::ReachabilityFlagWord> currentFlags() const override { return flags.load(); }
    bool startWatching(std::function<void()> changed) override {
        ++starts;
        changed_ = std::move(changed);
        return canWatch;
    }
    void stopWatching() override { changed_ = nullptr; }
    void announce(std::optional<platform::net::ReachabilityFlagWord> now) {
        flags = now;
        std::thread([changed = changed_] { if (changed) changed(); }).join();
    }

private:
    std::function<void()> changed_;
};

struct Posted {
    int count = 0;
    bool allOnMain = true;
    std::shared_ptr<const void> lastObject;
};

}  // namespace

TEST(ReachabilityTest, FlagsToStatusAndDescription) {
    struct Row {
        std::optional<platform::net::ReachabilityFlagWord> flags;
        bool onDevice;
        bool reachableOnWWAN;
        Status status;
        const char* description;
    };
    const Row rows[] = {
        {Bits::reachable, true, true, Status::reachableViaWiFi, "-R -------"},
        {Bits::reachable | Bits::isWWAN, true, true, Status::reachableViaWWAN, "WR -------"},
        {Bits::reachable | Bits::isWWAN, true, false, Status::notReachable, "WR -------"},
        {Bits::reachable | Bits::isWWAN, false, false, Status::reachableViaWiFi, "XR -------"},
        {Bits::reachable | Bits::connectionRequired, true, true, Status::reachableViaWiFi, "-R c------"},
        {Bits::reachable | Bits::connectionRequired | Bits::transientConnection, true, true, Status::notReachable,
         "-R ct-----"},
        {0x7003F, true, true, Status::notReachable, "WR ctiCDld"},
        {0, true, true, Status::notReachable, "-- -------"},
        {std::nullopt, true, true, Status::notReachable, "-- -------"},
    };
    auto source = std::make_shared<FakeSource>();
    auto monitor = Reachability::make(source);
    for (const Row& row : rows) {
        source->flags = row.flags;
        monitor->setIsRunningOnDevice(row.onDevice);
        monitor->setReachableOnWWAN(row.reachableOnWWAN);
        EXPECT_EQ(monitor->currentReachabilityStatus(), row.status) << row.description;
        EXPECT_EQ(monitor->currentReachabilityString(), vistrel::description(row.status));
        EXPECT_EQ(monitor->description(), row.description);
    }
}

TEST(ReachabilityTest, ChangesRunTheHandlerAndPostOnTheMainQueueOncePerChange) {
    auto source = std::make_shared<FakeSource>();
    auto monitor = Reachability::make(source);
    platform::ui::NotificationCenter center;
    monitor->setNotificationCenter(center);
    Posted posted;
    center.addObserver(std::string(vistrel::ReachabilityChangedNotification), nullptr,
                       [&](const platform::ui::Notification& n) {
                           ++posted.count;
                           posted.allOnMain = posted.allOnMain && platform::dispatch::isMainThread();
                           posted.lastObject = n.object;
                       });
    int reachable = 0, unreachable = 0;
    monitor->setWhenReachable([&](Reachability&) { ++reachable; });
    monitor->setWhenUnreachable([&](Reachability&) { ++unreachable; });

    EXPECT_FALSE(monitor->startNotifier());
    EXPECT_FALSE(monitor->startNotifier());
    EXPECT_EQ(source->starts, 1);
    ASSERT_TRUE(RunLoop::runUntil([&] { return posted.count == 1; }, 5s));
    EXPECT_EQ(reachable, 1);
    EXPECT_EQ(posted.lastObject.get(), static_cast<const void*>(monitor.get()));

    source->announce(Bits::reachable);  // the same flags: nothing runs
    source->announce(0);
    ASSERT_TRUE(RunLoop::runUntil([&] { return posted.count == 2; }, 5s));
    RunLoop::runUntilIdle();
    EXPECT_EQ(posted.count, 2);
    EXPECT_EQ(unreachable, 1);
    EXPECT_TRUE(posted.allOnMain);
    EXPECT_EQ(monitor->previousFlags(), 0u);
}

TEST(ReachabilityTest, AMonitorReleasedWithWorkQueuedIsNeverUsed) {
    auto source = std::make_shared<FakeSource>();
    platform::ui::NotificationCenter center;
    int posted = 0;
    center.addObserver("", nullptr, [&](const platform::ui::Notification&) { ++posted; });
    {
        auto monitor = Reachability::make(source);
        monitor->setNotificationCenter(center);
        monitor->startNotifier();
        source->announce(0);
    }
    std::this_thread::sleep_for(20ms);  // let the serial queue hand over what it holds
    RunLoop::runUntilIdle();
    EXPECT_EQ(posted, 0);
}

TEST(ReachabilityTest, NetworkTypeFollowsTheStatusAndAFailedStartGivesNothing) {
    auto source = std::make_shared<FakeSource>();
    DeviceInformation device(Reachability::make(source));
    source->flags = Bits::reachable;
    EXPECT_EQ(device.reachabilityStatus(), Status::reachableViaWiFi);
    EXPECT_EQ(source->starts, 0);
    EXPECT_EQ(device.networkType(), "WiFi");
    source->flags = Bits::reachable | Bits::isWWAN;  // no radio technology is reported here
    EXPECT_EQ(device.networkType(), "");
    source->flags = 0;
    EXPECT_EQ(device.networkType(), "");
    EXPECT_EQ(source->starts, 1);

    auto refusing = std::make_shared<FakeSource>();
    refusing->canWatch = false;
    DeviceInformation cut(Reachability::make(refusing));
    EXPECT_EQ(cut.networkType(), "");
    EXPECT_EQ(cut.networkType(), "");
    EXPECT_EQ(refusing->starts, 2);  // each read tries again
    EXPECT_EQ(DeviceInformation(nullptr).reachabilityStatus(), Status::notReachable);
    RunLoop::runUntilIdle();
}

TEST(DeviceInformationTest, ScreenValuesAreRoundedPointsReadAtCreation) {
    auto& screen = platform::ui::Screen::main();
    auto saved = screen.bounds();
    screen.setBounds({0, 0, 320.5, 667.4});
    DeviceInformation device(nullptr);
    screen.setBounds(saved);
    EXPECT_EQ(device.screenWidth, "321");
    EXPECT_EQ(device.screenHeight, "667");
    EXPECT_EQ(device.os, "iOS");
    EXPECT_FALSE(device.systemVersionName.empty());
}

TEST(DeviceInformationTest, RealRoutingStateSmoke) {
    // Passes with or without a network, and where route sockets are not allowed.
    auto monitor = Reachability::make();
    ASSERT_TRUE(monitor);
    Status status = monitor->currentReachabilityStatus();
    EXPECT_LE(static_cast<int>(status), 2);
    EXPECT_EQ(monitor->description().size(), 10u);
    monitor->startNotifier();
    RunLoop::runFor(20ms);
    EXPECT_EQ(&DeviceInformation::shared(), &DeviceInformation::shared());
}
