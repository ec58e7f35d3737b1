#pragma once
// Whether the network can be reached, and over which kind of link. The monitor keeps the
// flags it saw last and, on every change, runs the handler for the new state and posts
// ReachabilityChangedNotification on the main queue. Its state is guarded by a lock, and
// work it queues holds it weakly: a monitor released meanwhile is never touched.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/net/reachability_flags.hpp"
#include "vistrel/platform/ui/notification_center.hpp"
#include "vistrel/platform/ui/notification_center_names.hpp"

namespace vistrel {

inline constexpr std::string_view ReachabilityChangedNotification = platform::ui::reachabilityChangedNotification;

enum class ReachabilityError {
    FailedToCreateWithAddress,
    FailedToCreateWithHostname,
    UnableToSetCallback,
    UnableToSetDispatchQueue,
};

class Reachability : public std::enable_shared_from_this<Reachability> {
public:
    enum class NetworkStatus : std::uint8_t { notReachable = 0, reachableViaWiFi = 1, reachableViaWWAN = 2 };
    using NetworkReachable = std::function<void(Reachability&)>;
    using NetworkUnreachable = std::function<void(Reachability&)>;
    using Flags = platform::net::ReachabilityFlagWord;
    using Source = std::shared_ptr<platform::net::ReachabilityFlagsSource>;

    // A monitor of any network, over the kernel's routing state.
    static std::shared_ptr<Reachability> make();
    // A monitor for a host; a host is reached over the same routes as any other, so this
    // watches the routing state too. None for an empty name.
    static std::shared_ptr<Reachability> make(std::string_view hostname);
    // A monitor over the given flags source; none without one.
    static std::shared_ptr<Reachability> make(Source source);

    ~Reachability();
    Reachability(const Reachability&) = delete;
    Reachability& operator=(const Reachability&) = delete;

    // Starts watching and queues the first evaluation. Running already: nothing happens.
    // The error when the source cannot be watched (the notifier stays stopped).
    std::optional<ReachabilityError> startNotifier();
    void stopNotifier();
    bool notifierRunning() const;

    // These read the flags afresh.
    NetworkStatus currentReachabilityStatus() const;
    std::string currentReachabilityString() const;
    bool isReachable() const;
    bool isReachableViaWiFi() const;
    bool isReachableViaWWAN() const;
    // Ten characters: W R, a blank, then c t i C D l d for the flags set ("-" when clear).
    std::string description() const;

    void setWhenReachable(NetworkReachable handler);
    void setWhenUnreachable(NetworkUnreachable handler);
    bool reachableOnWWAN() const;
    void setReachableOnWWAN(bool reachableOnWWAN);
    bool isRunningOnDevice() const;
    void setIsRunningOnDevice(bool isRunningOnDevice);
    void setNotificationCenter(platform::ui::NotificationCenter& center);
    std::optional<Flags> previousFlags() const;
    const platform::dispatch::Queue& reachabilitySerialQueue() const { return serialQueue_; }

    explicit Reachability(Source source);

private:
    struct Settings {
        bool reachableOnWWAN;
        bool isRunningOnDevice;
    };
    Flags reachabilityFlags() const;
    Settings settings() const;
    static bool isReachable(Flags flags, Settings settings);
    static bool isReachableViaWiFi(Flags flags, Settings settings);
    void queueEvaluation();
    void reachabilityChanged();

    Source source_;
    platform::dispatch::Queue serialQueue_;
    mutable std::mutex mutex_;
    NetworkReachable whenReachable_;
    NetworkUnreachable whenUnreachable_;
    bool reachableOnWWAN_ = true;
    bool isRunningOnDevice_ = true;
    bool notifierRunning_ = false;
    platform::ui::NotificationCenter* notificationCenter_;
    std::optional<Flags> previousFlags_;
};

std::string_view description(Reachability::NetworkStatus status);

}  // namespace vistrel
