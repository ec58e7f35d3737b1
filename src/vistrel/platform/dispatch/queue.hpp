#pragma once
// Queues of blocks: the main queue (drained by the main run loop), the global
// concurrent queue (a small thread pool) and serial queues (one block at a time, in
// order, on the pool). A Queue is a cheap copyable handle; the queue itself lives as
// long as a handle or any work pending on it.
#include <memory>
#include <string>

#include "vistrel/platform/dispatch/block.hpp"
#include "vistrel/platform/dispatch/clock.hpp"

namespace platform::dispatch {

namespace detail {
class QueueImpl;
}

class Queue {
public:
    explicit Queue(std::shared_ptr<detail::QueueImpl> impl);

    // Runs the block later on this queue.
    void async(Block block) const;

    // Runs the block on this queue once the clock has passed now + delay.
    void asyncAfter(Duration delay, Block block) const;
    template <class Rep, class Period>
    void asyncAfter(std::chrono::duration<Rep, Period> delay, Block block) const {
        asyncAfter(toDuration(delay), std::move(block));
    }

    // Runs the block on this queue once the clock has passed the deadline; a deadline
    // already passed is due at once. Repeating timers use it so as not to drift.
    void asyncAt(TimePoint deadline, Block block) const;

    // Runs the block on this queue and returns when it has run. On the global queue,
    // and on the main queue from the main thread, it runs inline on the caller. On a
    // serial queue it runs after the blocks queued before it, on the calling thread;
    // called from a block of that same queue it runs inline (and logs a line) rather
    // than deadlock.
    void sync(Block block) const;

    const std::string& label() const;

    // True in code running as a block of this queue (for the main queue: on the main thread).
    bool isCurrent() const;

    friend bool operator==(const Queue&, const Queue&) = default;

private:
    std::shared_ptr<detail::QueueImpl> impl_;
};

// The queue of the main thread, drained by RunLoop.
Queue main();

// How soon the pool runs a block of the global queue. A `utility` block waits until no
// `userInitiated` block is waiting: work nobody is waiting on (pictures for cards and rows
// that show a placeholder meanwhile) never holds back what the user just asked for.
enum class QualityOfService { userInitiated, utility };

// The concurrent queue: min(4, hardware threads) workers, at least 2, shared by both
// qualities of service.
Queue global(QualityOfService quality = QualityOfService::userInitiated);

// A new serial queue.
Queue makeSerialQueue(std::string label);

}  // namespace platform::dispatch
