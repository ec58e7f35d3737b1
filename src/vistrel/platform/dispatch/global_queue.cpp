#include "vistrel/platform/dispatch/queue_impl.hpp"

#include "vistrel/platform/dispatch/queue_scope.hpp"
#include "vistrel/platform/dispatch/worker_pool.hpp"

namespace platform::dispatch::detail {

const std::shared_ptr<GlobalQueue>& GlobalQueue::instance() {
    // Leaked on purpose, like the pool it feeds.
    static const auto* queue = new std::shared_ptr<GlobalQueue>(std::make_shared<GlobalQueue>());
    return *queue;
}

void GlobalQueue::enqueue(Block block) {
    WorkerPool::instance().submit([this, block = std::move(block)] {
        QueueScope scope(this);
        runGuarded(block, label());
    });
}

void GlobalQueue::sync(Block block) {
    // Concurrent: nothing to wait for, so the caller runs it.
    QueueScope scope(this);
    runGuarded(block, label());
}

}  // namespace platform::dispatch::detail
