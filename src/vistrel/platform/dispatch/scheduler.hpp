#pragma once
// Internal: the one scheduler of delayed blocks. It owns the installed clock. Under the
// system clock a background thread sleeps until the earliest deadline and posts what is
// due; under a manual clock only moving that clock posts.
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "vistrel/platform/dispatch/block.hpp"
#include "vistrel/platform/dispatch/clock.hpp"

namespace platform::dispatch::detail {

class QueueImpl;

class Scheduler {
public:
    static Scheduler& instance();

    void schedule(TimePoint deadline, std::shared_ptr<QueueImpl> queue, Block block);

    std::shared_ptr<Clock> clock();
    std::shared_ptr<Clock> install(std::shared_ptr<Clock> clock);
    void advanceManualClock(ManualClock& clock, Duration by);
    void setManualClock(ManualClock& clock, TimePoint to);

private:
    struct Pending {
        std::shared_ptr<QueueImpl> queue;
        Block block;
    };
    using Key = std::pair<TimePoint, std::uint64_t>;  // deadline, then submission order

    Scheduler();
    void run();
    void startThreadLocked();
    void postDueLocked(TimePoint now);
    void moveManualClockLocked(ManualClock& clock, TimePoint to);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<Key, Pending> pending_;
    std::uint64_t nextSequence_ = 0;
    const std::shared_ptr<Clock> systemClock_;
    std::shared_ptr<Clock> clock_;
    bool threadStarted_ = false;
};

}  // namespace platform::dispatch::detail
