#include "vistrel/service/reachability.hpp"

#include "vistrel/platform/dispatch/queue.hpp"

namespace vistrel {

namespace Bits = platform::net::ReachabilityFlags;

std::string_view description(Reachability::NetworkStatus status) {
    switch (status) {
    case Reachability::NetworkStatus::reachableViaWiFi: return "WiFi";
    case Reachability::NetworkStatus::reachableViaWWAN: return "Cellular";
    case Reachability::NetworkStatus::notReachable: break;
    }
    return "No Connection";
}

std::shared_ptr<Reachability> Reachability::make() { return make(platform::net::makeRoutingFlagsSource()); }

std::shared_ptr<Reachability> Reachability::make(std::string_view hostname) {
    if (hostname.empty()) return nullptr;
    return make();
}

std::shared_ptr<Reachability> Reachability::make(Source source) {
    if (!source) return nullptr;
    return std::make_shared<Reachability>(std::move(source));
}

Reachability::Reachability(Source source)
    : source_(std::move(source)),
      serialQueue_(platform::dispatch::makeSerialQueue("io.vistrel.reachability")),
      notificationCenter_(&platform::ui::NotificationCenter::defaultCenter()) {}

Reachability::~Reachability() { stopNotifier(); }

std::optional<ReachabilityError> Reachability::startNotifier() {
    std::lock_guard lock(mutex_);
    if (notifierRunning_) return std::nullopt;
    // The source calls from its own thread; the change is handed to the serial queue,
    // which hands the evaluation to the main queue. Neither step keeps the monitor alive.
    std::weak_ptr<Reachability> weak = weak_from_this();
    platform::dispatch::Queue queue = serialQueue_;
    bool watching = source_->startWatching([weak, queue] {
        queue.async([weak] {
            if (auto self = weak.lock()) self->queueEvaluation();
        });
    });
    if (!watching) {
        source_->stopWatching();
        return ReachabilityError::UnableToSetCallback;
    }
    notifierRunning_ = true;
    serialQueue_.async([weak] {
        if (auto self = weak.lock()) self->queueEvaluation();
    });
    return std::nullopt;
}

void Reachability::stopNotifier() {
    source_->stopWatching();
    std::lock_guard lock(mutex_);
    notifierRunning_ = false;
}

bool Reachability::notifierRunning() const {
    std::lock_guard lock(mutex_);
    return notifierRunning_;
}

void Reachability::queueEvaluation() {
    std::weak_ptr<Reachability> weak = weak_from_this();
    platform::dispatch::main().async([weak] {
        if (auto self = weak.lock()) self->reachabilityChanged();
    });
}

void Reachability::reachabilityChanged() {
    Flags flags = reachabilityFlags();
    NetworkReachable handler;
    platform::ui::NotificationCenter* center;
    {
        std::lock_guard lock(mutex_);
        if (previousFlags_ && *previousFlags_ == flags) return;
        previousFlags_ = flags;
        handler = isReachable(flags, {reachableOnWWAN_, isRunningOnDevice_}) ? whenReachable_ : whenUnreachable_;
        center = notificationCenter_;
    }
    if (handler) handler(*this);
    center->post(std::string(ReachabilityChangedNotification), shared_from_this());
}

Reachability::Flags Reachability::reachabilityFlags() const { return source_->currentFlags().value_or(0); }

Reachability::Settings Reachability::settings() const {
    std::lock_guard lock(mutex_);
    return {reachableOnWWAN_, isRunningOnDevice_};
}

bool Reachability::isReachable(Flags flags, Settings settings) {
    if (!(flags & Bits::reachable)) return false;
    constexpr Flags requiredAndTransient = Bits::connectionRequired | Bits::transientConnection;
    if ((flags & requiredAndTransient) == requiredAndTransient) return false;
    if (settings.isRunningOnDevice && (flags & Bits::isWWAN) && !settings.reachableOnWWAN) return false;
    return true;
}

bool Reachability::isReachableViaWiFi(Flags flags, Settings settings) {
    if (!(flags & Bits::reachable)) return false;
    return !settings.isRunningOnDevice || !(flags & Bits::isWWAN);
}

Reachability::NetworkStatus Reachability::currentReachabilityStatus() const {
    Flags flags = reachabilityFlags();
    Settings current = settings();
    if (!isReachable(flags, current)) return NetworkStatus::notReachable;
    if (isReachableViaWiFi(flags, current)) return NetworkStatus::reachableViaWiFi;
    if (current.isRunningOnDevice) return NetworkStatus::reachableViaWWAN;
    return NetworkStatus::notReachable;
}

std::string Reachability::currentReachabilityString() const {
    return std::string(vistrel::description(currentReachabilityStatus()));
}

bool Reachability::isReachable() const { return isReachable(reachabilityFlags(), settings()); }

bool Reachability::isReachableViaWiFi() const { return isReachableViaWiFi(reachabilityFlags(), settings()); }

bool Reachability::isReachableViaWWAN() const {
    Flags flags = reachabilityFlags();
    return settings().isRunningOnDevice && (flags & Bits::reachable) && (flags & Bits::isWWAN);
}

std::string Reachability::description() const {
    Flags flags = reachabilityFlags();
    auto letter = [flags](Flags bit, char set) { return (flags & bit) ? set : '-'; };
    std::string text;
    text += settings().isRunningOnDevice ? letter(Bits::isWWAN, 'W') : 'X';
    text += letter(Bits::reachable, 'R');
    text += ' ';
    text += letter(Bits::connectionRequired, 'c');
    text += letter(Bits::transientConnection, 't');
    text += letter(Bits::interventionRequired, 'i');
    text += letter(Bits::connectionOnTraffic, 'C');
    text += letter(Bits::connectionOnDemand, 'D');
    text += letter(Bits::isLocalAddress, 'l');
    text += letter(Bits::isDirect, 'd');
    return text;
}

void Reachability::setWhenReachable(NetworkReachable handler) {
    std::lock_guard lock(mutex_);
    whenReachable_ = std::move(handler);
}

void Reachability::setWhenUnreachable(NetworkUnreachable handler) {
    std::lock_guard lock(mutex_);
    whenUnreachable_ = std::move(handler);
}

bool Reachability::reachableOnWWAN() const { return settings().reachableOnWWAN; }

void Reachability::setReachableOnWWAN(bool reachableOnWWAN) {
    std::lock_guard lock(mutex_);
    reachableOnWWAN_ = reachableOnWWAN;
}

bool Reachability::isRunningOnDevice() const { return settings().isRunningOnDevice; }

void Reachability::setIsRunningOnDevice(bool isRunningOnDevice) {
    std::lock_guard lock(mutex_);
    isRunningOnDevice_ = isRunningOnDevice;
}

void Reachability::setNotificationCenter(platform::ui::NotificationCenter& center) {
    std::lock_guard lock(mutex_);
    notificationCenter_ = &center;
}

std::optional<Reachability::Flags> Reachability::previousFlags() const {
    std::lock_guard lock(mutex_);
    return previousFlags_;
}

}  // namespace vistrel
