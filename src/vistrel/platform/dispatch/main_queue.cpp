#include "vistrel/platform/dispatch/queue_impl.hpp"

#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/dispatch/queue_scope.hpp"
#include "vistrel/platform/dispatch/worker_pool.hpp"

namespace platform::dispatch::detail {

const std::shared_ptr<MainQueue>& MainQueue::instance() {
    // Leaked on purpose: other threads may still post to it while the process exits.
    static const auto* queue = new std::shared_ptr<MainQueue>(std::make_shared<MainQueue>());
    return *queue;
}

void MainQueue::enqueue(Block block) {
    std::lock_guard lock(mutex_);
    blocks_.push_back(std::move(block));
    arrived_.notify_all();
}

void MainQueue::sync(Block block) {
    if (isMainThread()) {
        runGuarded(block, label());
        return;
    }
    struct Done {
        std::mutex mutex;
        std::condition_variable signal;
        bool done = false;
    };
    auto done = std::make_shared<Done>();
    enqueue([this, done, block = std::move(block)] {
        runGuarded(block, label());
        std::lock_guard lock(done->mutex);
        done->done = true;
        done->signal.notify_all();
    });
    BlockingScope blocking;
    std::unique_lock lock(done->mutex);
    done->signal.wait(lock, [&] { return done->done; });
}

bool MainQueue::isCurrent() const { return isMainThread(); }

bool MainQueue::tryPop(Block& block) {
    std::lock_guard lock(mutex_);
    if (blocks_.empty()) return false;
    block = std::move(blocks_.front());
    blocks_.pop_front();
    return true;
}

void MainQueue::waitForWork(TimePoint deadline) {
    std::unique_lock lock(mutex_);
    arrived_.wait_until(lock, deadline, [&] { return !blocks_.empty(); });
}

}  // namespace platform::dispatch::detail
