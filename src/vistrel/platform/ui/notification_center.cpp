#include "vistrel/platform/ui/notification_center.hpp"

#include <algorithm>
#include <atomic>
#include <utility>

#include "vistrel/platform/foundation/log.hpp"

namespace platform::ui {

namespace {

bool sameOwner(const std::weak_ptr<const void>& a, const std::shared_ptr<const void>& b) {
    return !a.owner_before(b) && !b.owner_before(a);
}

}  // namespace

struct NotificationCenter::Registration {
    std::uint64_t id = 0;
    std::string name;  // empty: every name
    bool filtersObject = false;
    std::weak_ptr<const void> object;
    const void* target = nullptr;  // none for a block observer
    std::weak_ptr<const void> targetAlive;
    Block block;
    std::atomic<bool> removed{false};

    // Nothing can call it any more: removed, its target is gone, or the one sender it
    // listens to is gone.
    bool dead() const {
        return removed.load() || (target && targetAlive.expired()) || (filtersObject && object.expired());
    }

    bool matches(const Notification& n) const {
        if (!name.empty() && name != n.name) return false;
        return !filtersObject || (n.object && sameOwner(object, n.object));
    }
};

NotificationCenter& NotificationCenter::defaultCenter() {
    // Never destroyed: observers living in statics may still leave it at exit.
    static auto* center = new NotificationCenter;
    return *center;
}

NotificationCenter::NotificationCenter() = default;

NotificationCenter::~NotificationCenter() = default;

ObserverToken NotificationCenter::addObserver(std::string name, const NotificationObject& object, Block block) {
    if (!block) return {};
    auto r = std::make_shared<Registration>();
    r->name = std::move(name);
    r->filtersObject = object != nullptr;
    r->object = object;
    r->block = std::move(block);
    add(r);
    return ObserverToken{r->id};
}

void NotificationCenter::addTarget(const void* target, std::weak_ptr<const void> alive, std::string name,
                                   const NotificationObject& object, Block block) {
    auto r = std::make_shared<Registration>();
    r->name = std::move(name);
    r->filtersObject = object != nullptr;
    r->object = object;
    r->target = target;
    r->targetAlive = std::move(alive);
    r->block = std::move(block);
    add(std::move(r));
}

void NotificationCenter::add(std::shared_ptr<Registration> registration) {
    std::vector<std::shared_ptr<Registration>> dead;
    {
        std::lock_guard lock(mutex_);
        dead = takeLocked([](const Registration&) { return false; });
        registration->id = nextId_++;
        registrations_.push_back(std::move(registration));
    }
}

std::vector<std::shared_ptr<NotificationCenter::Registration>> NotificationCenter::takeLocked(
    const std::function<bool(const Registration&)>& match) {
    std::vector<std::shared_ptr<Registration>> taken;
    auto keep = std::stable_partition(registrations_.begin(), registrations_.end(),
                                      [&](const auto& r) { return !(r->dead() || match(*r)); });
    for (auto it = keep; it != registrations_.end(); ++it) {
        (*it)->removed.store(true);
        taken.push_back(std::move(*it));
    }
    registrations_.erase(keep, registrations_.end());
    return taken;
}

bool NotificationCenter::removeObserver(ObserverToken token) {
    if (!token) return false;
    std::vector<std::shared_ptr<Registration>> taken;
    bool found = false;
    {
        std::lock_guard lock(mutex_);
        found = std::any_of(registrations_.begin(), registrations_.end(),
                            [&](const auto& r) { return r->id == token.id && !r->removed.load(); });
        taken = takeLocked([&](const Registration& r) { return r.id == token.id; });
    }
    return found;
}

std::size_t NotificationCenter::removeObserver(const void* target, std::string_view name,
                                               const NotificationObject& object) {
    if (!target) return 0;
    auto matches = [&](const Registration& r) {
        if (r.target != target) return false;
        if (!name.empty() && r.name != name) return false;
        return !object || (r.filtersObject && sameOwner(r.object, object));
    };
    std::vector<std::shared_ptr<Registration>> taken;
    std::size_t count = 0;
    {
        std::lock_guard lock(mutex_);
        count = static_cast<std::size_t>(std::count_if(registrations_.begin(), registrations_.end(),
                                                       [&](const auto& r) { return matches(*r); }));
        taken = takeLocked(matches);
    }
    return count;
}

void NotificationCenter::post(const Notification& notification) {
    if (notification.name.empty()) {
        log("NotificationCenter :: a notification without a name is not posted");
        return;
    }
    std::vector<std::shared_ptr<Registration>> matching;
    std::vector<std::shared_ptr<Registration>> dead;
    {
        std::lock_guard lock(mutex_);
        dead = takeLocked([](const Registration&) { return false; });
        for (const auto& r : registrations_)
            if (r->matches(notification)) matching.push_back(r);
    }
    dead.clear();
    for (const auto& r : matching)
        if (!r->removed.load()) r->block(notification);
}

void NotificationCenter::post(std::string name, NotificationObject object, UserInfo userInfo) {
    post(Notification{std::move(name), std::move(object), std::move(userInfo)});
}

std::size_t NotificationCenter::observerCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(
        std::count_if(registrations_.begin(), registrations_.end(), [](const auto& r) { return !r->dead(); }));
}

}  // namespace platform::ui
