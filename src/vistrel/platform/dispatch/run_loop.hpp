#pragma once
// The main run loop: runs the blocks of the main queue on the main thread. Called from
// any other thread, each function logs a line and does nothing.
#include <chrono>
#include <cstddef>
#include <functional>

#include "vistrel/platform/dispatch/clock.hpp"

namespace platform::dispatch {

class RunLoop {
public:
    RunLoop() = delete;

    // Runs every block on the main queue, including blocks queued while it runs, until
    // the queue is empty. Gives how many ran.
    static std::size_t runUntilIdle();

    // Runs blocks as they arrive for that much real time. Gives how many ran.
    static std::size_t runFor(Duration duration);
    template <class Rep, class Period>
    static std::size_t runFor(std::chrono::duration<Rep, Period> duration) {
        return runFor(toDuration(duration));
    }

    // Runs blocks until the predicate holds (true) or the timeout, in real time,
    // passes (false). The predicate is checked before and after every block, and every
    // few milliseconds while waiting, so it may watch state set by other threads.
    static bool runUntil(const std::function<bool()>& predicate, Duration timeout);
    template <class Rep, class Period>
    static bool runUntil(const std::function<bool()>& predicate,
                         std::chrono::duration<Rep, Period> timeout) {
        return runUntil(predicate, toDuration(timeout));
    }

    // Work the loop does each time it has drained the main queue, before it waits or
    // returns: the UI installs its update pass here. One hook; a new one replaces the
    // old, an empty one removes it. Blocks the hook queues run in the same call of the
    // loop; the hook is not run again from inside itself. Main thread only.
    static void setDrainHook(std::function<void()> hook);
};

}  // namespace platform::dispatch
