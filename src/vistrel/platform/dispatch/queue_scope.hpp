#pragma once
// Internal: running blocks. Each thread keeps a stack of the queues whose blocks it is
// running, so a queue can tell whether the calling code is one of its blocks.
#include <string_view>

#include "vistrel/platform/dispatch/block.hpp"

namespace platform::dispatch::detail {

class QueueImpl;

// Runs the block; an exception it throws is logged (with the queue's label) and
// swallowed, so that host code cannot kill a worker thread or the run loop. An empty
// block does nothing.
void runGuarded(const Block& block, std::string_view label) noexcept;

// Marks the calling thread as running a block of `queue` for its lifetime.
class QueueScope {
public:
    explicit QueueScope(const QueueImpl* queue);
    ~QueueScope();
    QueueScope(const QueueScope&) = delete;
    QueueScope& operator=(const QueueScope&) = delete;

    // Whether the calling thread is inside a block of `queue`.
    static bool isRunning(const QueueImpl* queue);

private:
    const QueueImpl* queue_;
    QueueScope* outer_;
};

}  // namespace platform::dispatch::detail
