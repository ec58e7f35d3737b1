#include "vistrel/platform/ui/animation_log.hpp"

#include <algorithm>
#include <atomic>
#include <mutex>

#include "vistrel/platform/ui/animation_private.hpp"

namespace platform::ui {

struct AnimationLog::State {
    mutable std::mutex mutex;
    std::vector<AnimationLogEntry> entries;
};

namespace {

struct Listeners {
    std::mutex mutex;
    std::vector<std::shared_ptr<AnimationLog::State>> logs;
    std::atomic<std::size_t> count{0};
};

Listeners& listeners() {
    // Never destroyed: a log living in a static may still leave it at exit.
    static auto* instance = new Listeners;
    return *instance;
}

}  // namespace

AnimationLog::AnimationLog() : state_(std::make_shared<State>()) {
    Listeners& l = listeners();
    std::lock_guard lock(l.mutex);
    l.logs.push_back(state_);
    l.count.store(l.logs.size());
}

AnimationLog::~AnimationLog() {
    Listeners& l = listeners();
    std::lock_guard lock(l.mutex);
    l.logs.erase(std::remove(l.logs.begin(), l.logs.end(), state_), l.logs.end());
    l.count.store(l.logs.size());
}

std::vector<AnimationLogEntry> AnimationLog::entries() const {
    std::lock_guard lock(state_->mutex);
    return state_->entries;
}

std::vector<AnimationLogEntry> AnimationLog::entries(const View& view) const {
    std::lock_guard lock(state_->mutex);
    std::vector<AnimationLogEntry> found;
    for (const auto& entry : state_->entries)
        if (entry.identity == &view) found.push_back(entry);
    return found;
}

std::size_t AnimationLog::size() const {
    std::lock_guard lock(state_->mutex);
    return state_->entries.size();
}

void AnimationLog::clear() {
    std::lock_guard lock(state_->mutex);
    state_->entries.clear();
}

namespace detail {

bool animationLogListening() { return listeners().count.load() > 0; }

void appendToAnimationLogs(const AnimationLogEntry& entry) {
    Listeners& l = listeners();
    std::lock_guard lock(l.mutex);
    for (const auto& log : l.logs) {
        std::lock_guard entries(log->mutex);
        log->entries.push_back(entry);
    }
}

}  // namespace detail
}  // namespace platform::ui
