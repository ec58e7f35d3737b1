#pragma once
// Target-action: member functions to call on weakly held targets, each for a set of
// events. A (target, action, event) triple is kept once however often it is added.
// Actions take no argument or the sender (a reference to any type the sender can be
// cast to; when the cast fails the action is skipped).
#include <algorithm>
#include <memory>
#include <type_traits>
#include <vector>

namespace platform::ui {

namespace detail {

template <class T>
const void* identityOf(const T* target) {
    if constexpr (std::is_polymorphic_v<T>)
        return dynamic_cast<const void*>(target);
    else
        return static_cast<const void*>(target);
}

template <class Sender>
struct ActionBase {
    virtual ~ActionBase() = default;
    virtual bool equals(const ActionBase& other) const = 0;
    virtual void invoke(void* target, Sender& sender) const = 0;
};

template <class Sender, class C>
struct PlainAction final : ActionBase<Sender> {
    explicit PlainAction(void (C::*f)()) : fn(f) {}
    void (C::*fn)();
    bool equals(const ActionBase<Sender>& o) const override {
        auto* other = dynamic_cast<const PlainAction*>(&o);
        return other && other->fn == fn;
    }
    void invoke(void* target, Sender&) const override { (static_cast<C*>(target)->*fn)(); }
};

template <class Sender, class C, class S>
struct SenderAction final : ActionBase<Sender> {
    explicit SenderAction(void (C::*f)(S&)) : fn(f) {}
    void (C::*fn)(S&);
    bool equals(const ActionBase<Sender>& o) const override {
        auto* other = dynamic_cast<const SenderAction*>(&o);
        return other && other->fn == fn;
    }
    void invoke(void* target, Sender& sender) const override {
        if (auto* s = dynamic_cast<S*>(&sender)) (static_cast<C*>(target)->*fn)(*s);
    }
};

}  // namespace detail

template <class Sender>
class TargetActionList {
public:
    struct Entry {
        std::weak_ptr<void> target;
        const void* identity = nullptr;
        std::shared_ptr<const detail::ActionBase<Sender>> action;
        unsigned event = 0;
    };

    template <class T, class C>
    void add(const std::shared_ptr<T>& target, void (C::*action)(), unsigned events) {
        std::shared_ptr<C> base = target;
        insert(base, detail::identityOf(target.get()),
               std::make_shared<detail::PlainAction<Sender, C>>(action), events);
    }
    template <class T, class C, class S>
    void add(const std::shared_ptr<T>& target, void (C::*action)(S&), unsigned events) {
        std::shared_ptr<C> base = target;
        insert(base, detail::identityOf(target.get()),
               std::make_shared<detail::SenderAction<Sender, C, S>>(action), events);
    }

    // Removes the target's entries for `action` among `events`.
    template <class T, class C>
    void remove(const T* target, void (C::*action)(), unsigned events) {
        erase(detail::identityOf(target), detail::PlainAction<Sender, C>(action), events);
    }
    template <class T, class C, class S>
    void remove(const T* target, void (C::*action)(S&), unsigned events) {
        erase(detail::identityOf(target), detail::SenderAction<Sender, C, S>(action), events);
    }
    // Removes every action of the target (of every target for none) among `events`.
    void removeAll(const void* identity, unsigned events) {
        std::erase_if(entries_, [&](const Entry& e) {
            return (e.event & events) && (identity == nullptr || e.identity == identity);
        });
    }

    // Calls, in the order they were added, the live entries for any of `events`.
    void send(Sender& sender, unsigned events) {
        prune();
        const auto entries = entries_;  // actions may add or remove entries
        for (const Entry& e : entries) {
            if (!(e.event & events)) continue;
            if (auto target = e.target.lock()) e.action->invoke(target.get(), sender);
        }
    }

    // The live entries.
    std::vector<Entry> entries() const {
        std::vector<Entry> live;
        for (const Entry& e : entries_)
            if (!e.target.expired()) live.push_back(e);
        return live;
    }
    std::size_t count(unsigned events) const {
        return static_cast<std::size_t>(std::count_if(entries_.begin(), entries_.end(), [&](const Entry& e) {
            return (e.event & events) && !e.target.expired();
        }));
    }

private:
    void prune() {
        std::erase_if(entries_, [](const Entry& e) { return e.target.expired(); });
    }
    void insert(std::weak_ptr<void> target, const void* identity,
                std::shared_ptr<const detail::ActionBase<Sender>> action, unsigned events) {
        if (!identity) return;
        prune();
        for (unsigned bit = 1; bit != 0; bit <<= 1) {
            if (!(events & bit)) continue;
            bool present = std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) {
                return e.identity == identity && e.event == bit && e.action->equals(*action);
            });
            if (!present) entries_.push_back({target, identity, action, bit});
        }
    }
    void erase(const void* identity, const detail::ActionBase<Sender>& action, unsigned events) {
        std::erase_if(entries_, [&](const Entry& e) {
            return (e.event & events) && e.identity == identity && e.action->equals(action);
        });
    }

    std::vector<Entry> entries_;
};

}  // namespace platform::ui
