#pragma once
// A notification centre: observers register for a name and, optionally, a sender;
// posting calls every matching observer at once, on the posting thread, in the order
// they registered. An observer removed while a notification is being posted is not
// called after its removal; one added meanwhile hears only later posts.
//
// Block observers are held until their token is removed. Target observers are held
// weakly: a target that is gone is dropped, never called.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "vistrel/platform/ui/types.hpp"

namespace platform::ui {

// What a notification may carry under a key of its user info.
using NotificationValue = std::variant<bool, double, std::string, Rect>;
using UserInfo = std::map<std::string, NotificationValue, std::less<>>;

// The sender of a notification, compared by the object it owns (a pointer to a base or
// a member of the same object is the same sender).
using NotificationObject = std::shared_ptr<const void>;

struct Notification {
    std::string name;
    NotificationObject object;
    UserInfo userInfo;

    // The value under `key` when it is there and of kind T, else none.
    template <class T>
    const T* userInfoValue(std::string_view key) const {
        auto it = userInfo.find(key);
        return it == userInfo.end() ? nullptr : std::get_if<T>(&it->second);
    }
};

// Names a block observer's registration, for its removal.
struct ObserverToken {
    std::uint64_t id = 0;
    explicit operator bool() const { return id != 0; }
    friend bool operator==(const ObserverToken&, const ObserverToken&) = default;
};

class NotificationCenter {
public:
    using Block = std::function<void(const Notification&)>;

    // The process's centre.
    static NotificationCenter& defaultCenter();

    NotificationCenter();
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    // An empty name hears every name; no object hears every sender (an object that is
    // gone hears nothing more). Without a block nothing is registered and the token is
    // empty.
    ObserverToken addObserver(std::string name, const NotificationObject& object, Block block);
    // Calls `method` on the target while the target lives.
    template <class T>
    void addObserver(const std::shared_ptr<T>& target, void (T::*method)(const Notification&), std::string name,
                     const NotificationObject& object = nullptr) {
        if (!target || !method) return;
        std::weak_ptr<T> weak = target;
        addTarget(static_cast<const void*>(target.get()), std::weak_ptr<const void>(target), std::move(name), object,
                  [weak, method](const Notification& n) {
                      if (auto t = weak.lock()) ((*t).*method)(n);
                  });
    }

    // Removes the block observer. False when the token names no registration.
    bool removeObserver(ObserverToken token);
    // Removes the target's registrations (the pointer it was registered with; a target
    // may call this from its destructor) for `name` (empty: every name) and `object`
    // (none: every sender). Gives how many were removed.
    std::size_t removeObserver(const void* target, std::string_view name = {},
                               const NotificationObject& object = nullptr);

    // An empty name is refused with a log line.
    void post(const Notification& notification);
    void post(std::string name, NotificationObject object = nullptr, UserInfo userInfo = {});

    // Registrations that can still be called.
    std::size_t observerCount() const;

private:
    struct Registration;

    void addTarget(const void* target, std::weak_ptr<const void> alive, std::string name,
                   const NotificationObject& object, Block block);
    void add(std::shared_ptr<Registration> registration);
    // Takes out the registrations that match, or can no longer be called; the caller
    // lets them go after unlocking, since a block's captures may call back in here.
    std::vector<std::shared_ptr<Registration>> takeLocked(
        const std::function<bool(const Registration&)>& match);

    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<Registration>> registrations_;
    std::uint64_t nextId_ = 1;
};

}  // namespace platform::ui
