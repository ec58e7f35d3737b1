#pragma once
// Internal: the threads behind the global and serial queues. A process-wide pool of
// min(4, hardware threads) workers (at least 2), started as work arrives. A worker that
// blocks in a wait (sync, group wait) lends its place: a spare thread starts if work is
// waiting, so that waits on pool work from pool work cannot starve the pool.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

#include "vistrel/platform/dispatch/block.hpp"

namespace platform::dispatch::detail {

class WorkerPool {
public:
    static WorkerPool& instance();

    // Runs the task on a worker. A task that may wait runs only when no other task
    // waits. Tasks submitted once the process exits are dropped.
    void submit(Block task, bool mayWait = false);

    std::size_t targetSize() const { return target_; }

    static bool isWorkerThread();

    // At process exit: start no more tasks and give running ones a short while to end.
    static void shutDownAtExit();

private:
    friend class BlockingScope;
    WorkerPool();
    void work();
    void spawnLocked();
    void beginBlocking();
    void endBlocking();
    std::size_t queuedLocked() const { return tasks_.size() + waitingTasks_.size(); }

    std::mutex mutex_;
    std::condition_variable workAvailable_;
    std::condition_variable taskFinished_;
    std::deque<Block> tasks_;
    std::deque<Block> waitingTasks_;  // those that may wait, run when tasks_ is empty
    const std::size_t target_;
    std::size_t threads_ = 0;
    std::size_t idle_ = 0;
    std::size_t blocked_ = 0;
    std::size_t running_ = 0;
    bool exiting_ = false;
};

// Wraps a blocking wait: on a worker thread it tells the pool the worker is blocked.
class BlockingScope {
public:
    BlockingScope();
    ~BlockingScope();
    BlockingScope(const BlockingScope&) = delete;
    BlockingScope& operator=(const BlockingScope&) = delete;

private:
    bool onWorker_;
};

}  // namespace platform::dispatch::detail
