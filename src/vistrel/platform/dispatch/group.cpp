#include "vistrel/platform/dispatch/group.hpp"

#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>

#include "vistrel/platform/dispatch/queue_scope.hpp"
#include "vistrel/platform/dispatch/worker_pool.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace platform::dispatch {

struct Group::State {
    std::mutex mutex;
    std::condition_variable empty;
    std::size_t count = 0;
    std::vector<std::pair<Queue, Block>> notifications;

    void leave() {
        std::vector<std::pair<Queue, Block>> due;
        {
            std::lock_guard lock(mutex);
            if (count == 0) {
                platform::log("dispatch :: group left more often than entered; ignored");
                return;
            }
            if (--count > 0) return;
            due.swap(notifications);
            empty.notify_all();
        }
        for (auto& [queue, block] : due) queue.async(std::move(block));
    }
};

Group::Group() : state_(std::make_shared<State>()) {}

void Group::enter() const {
    std::lock_guard lock(state_->mutex);
    ++state_->count;
}

void Group::leave() const { state_->leave(); }

void Group::async(const Queue& queue, Block block) const {
    enter();
    queue.async([state = state_, block = std::move(block), label = queue.label()] {
        detail::runGuarded(block, label);
        state->leave();
    });
}

void Group::notify(const Queue& queue, Block block) const {
    {
        std::lock_guard lock(state_->mutex);
        if (state_->count > 0) {
            state_->notifications.emplace_back(queue, std::move(block));
            return;
        }
    }
    queue.async(std::move(block));
}

bool Group::wait(Duration timeout) const {
    const TimePoint deadline = deadlineAfter(std::chrono::steady_clock::now(), timeout);
    detail::BlockingScope blocking;
    std::unique_lock lock(state_->mutex);
    return state_->empty.wait_until(lock, deadline, [&] { return state_->count == 0; });
}

}  // namespace platform::dispatch
