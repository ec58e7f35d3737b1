#include "vistrel/platform/dispatch/queue_impl.hpp"

#include "vistrel/platform/dispatch/queue_scope.hpp"
#include "vistrel/platform/dispatch/worker_pool.hpp"

namespace platform::dispatch::detail {

const std::shared_ptr<GlobalQueue>& GlobalQueue::instance(QualityOfService quality) {
    // Leaked on purpose, like the pool they feed.
    static const auto* initiated =
        new std::shared_ptr<GlobalQueue>(std::make_shared<GlobalQueue>(QualityOfService::userInitiated));
    static const auto* utility =
        new std::shared_ptr<GlobalQueue>(std::make_shared<GlobalQueue>(QualityOfService::utility));
    return quality == QualityOfService::utility ? *utility : *initiated;
}

void GlobalQueue::enqueue(Block block) {
    WorkerPool::instance().submit(
        [this, block = std::move(block)] {
            QueueScope scope(this);
            runGuarded(block, label());
        },
        quality_ == QualityOfService::utility);
}

void GlobalQueue::sync(Block block) {
    // Concurrent: nothing to wait for, so the caller runs it.
    QueueScope scope(this);
    runGuarded(block, label());
}

}  // namespace platform::dispatch::detail
