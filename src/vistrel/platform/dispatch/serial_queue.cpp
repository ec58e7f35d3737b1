#include "vistrel/platform/dispatch/queue_impl.hpp"

#include <string>

#include "vistrel/platform/dispatch/lifecycle.hpp"
#include "vistrel/platform/dispatch/queue_scope.hpp"
#include "vistrel/platform/dispatch/worker_pool.hpp"
#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace platform::dispatch::detail {

namespace {
// A drain gives its worker back after this many blocks, so that busy serial queues
// take turns on the pool.
constexpr int kBlocksPerDrain = 32;
}  // namespace

void SerialQueue::enqueue(Block block) {
    std::lock_guard lock(mutex_);
    items_.push_back(Item{std::move(block), nullptr});
    if (!owned_) startNextLocked();
}

// With the queue unowned and work waiting: hand the queue to a thread waiting in sync
// when it is first in line, else make sure a drain is on its way.
void SerialQueue::startNextLocked() {
    if (items_.empty()) return;
    if (Item& front = items_.front(); front.turn) {
        owned_ = true;
        *front.turn = true;
        items_.pop_front();
        turnGiven_.notify_all();
        return;
    }
    if (drainSubmitted_) return;
    drainSubmitted_ = true;
    WorkerPool::instance().submit(
        [self = std::static_pointer_cast<SerialQueue>(shared_from_this())] { self->drain(); });
}

void SerialQueue::drain() {
    std::unique_lock lock(mutex_);
    drainSubmitted_ = false;
    if (owned_) return;  // a thread in sync holds it and will pass it on
    owned_ = true;
    for (int ran = 0;; ++ran) {
        if (items_.empty() || processExiting()) {
            owned_ = false;
            return;
        }
        if (items_.front().turn || ran == kBlocksPerDrain) {
            owned_ = false;
            startNextLocked();
            return;
        }
        Block block = std::move(items_.front().block);
        items_.pop_front();
        lock.unlock();
        {
            QueueScope scope(this);
            runGuarded(block, label());
        }
        block = nullptr;  // captures are released outside the lock
        lock.lock();
    }
}

void SerialQueue::sync(Block block) {
    if (QueueScope::isRunning(this)) {
        // Waiting for our own turn would never end.
        platform::log(concatenate("dispatch :: sync onto serial queue '", escapeControlCharacters(label()),
                                  "' from its own block; ran inline"));
        runGuarded(block, label());
        return;
    }
    {
        std::unique_lock lock(mutex_);
        if (!owned_ && items_.empty()) {
            owned_ = true;
        } else {
            bool turn = false;
            items_.push_back(Item{{}, &turn});
            if (!owned_) startNextLocked();
            BlockingScope blocking;
            turnGiven_.wait(lock, [&] { return turn; });
        }
    }
    {
        QueueScope scope(this);
        runGuarded(block, label());
    }
    std::lock_guard lock(mutex_);
    owned_ = false;
    startNextLocked();
}

}  // namespace platform::dispatch::detail
