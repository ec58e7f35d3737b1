#include "vistrel/platform/dispatch/worker_pool.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <system_error>
#include <thread>

#include "vistrel/platform/dispatch/queue_scope.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace platform::dispatch::detail {

namespace {

thread_local bool onWorkerThread = false;

// Set once the pool exists, so that the exit handler never creates it.
std::atomic<WorkerPool*> created{nullptr};

// How long exit waits for blocks that are running to finish.
constexpr auto kExitGrace = std::chrono::seconds(1);

std::size_t poolSize() {
    const unsigned hardware = std::thread::hardware_concurrency();
    return std::max<std::size_t>(2, std::min<std::size_t>(4, hardware));
}

}  // namespace

WorkerPool& WorkerPool::instance() {
    // Leaked on purpose: workers may still touch it while the process exits.
    static WorkerPool* pool = [] {
        auto* p = new WorkerPool();
        created.store(p);
        return p;
    }();
    return *pool;
}

WorkerPool::WorkerPool() : target_(poolSize()) {}

bool WorkerPool::isWorkerThread() { return onWorkerThread; }

void WorkerPool::submit(Block task, bool mayWait) {
    std::lock_guard lock(mutex_);
    if (exiting_) return;
    (mayWait ? waitingTasks_ : tasks_).push_back(std::move(task));
    workAvailable_.notify_one();
    // Idle workers each take one task; start another thread only when they cannot
    // cover what waits and the pool has fewer unblocked threads than it should.
    if (queuedLocked() > idle_ && threads_ - blocked_ < target_) spawnLocked();
}

void WorkerPool::spawnLocked() {
    try {
        std::thread([this] { work(); }).detach();
        ++threads_;
    } catch (const std::system_error& e) {
        platform::log(std::string("dispatch :: could not start a worker thread :: ") + e.what());
    }
}

void WorkerPool::work() {
    onWorkerThread = true;
    std::unique_lock lock(mutex_);
    for (;;) {
        // Spare threads started for blocked workers leave once they are not needed, even
        // with work queued: the pool never runs more unblocked tasks than its size.
        if (exiting_ || threads_ - blocked_ > target_) {
            --threads_;
            // The wake-up this thread took may have been for queued work: pass it on.
            if (!exiting_ && queuedLocked() > 0) workAvailable_.notify_one();
            return;
        }
        if (queuedLocked() == 0) {
            ++idle_;
            workAvailable_.wait(lock);
            --idle_;
            continue;
        }
        auto& queue = tasks_.empty() ? waitingTasks_ : tasks_;
        Block task = std::move(queue.front());
        queue.pop_front();
        ++running_;
        lock.unlock();
        runGuarded(task, "pool");
        task = nullptr;  // captures are released outside the lock
        lock.lock();
        --running_;
        if (exiting_) taskFinished_.notify_all();
    }
}

void WorkerPool::beginBlocking() {
    std::lock_guard lock(mutex_);
    ++blocked_;
    if (!exiting_ && queuedLocked() > idle_ && threads_ - blocked_ < target_) spawnLocked();
}

void WorkerPool::endBlocking() {
    std::lock_guard lock(mutex_);
    --blocked_;
    // Wake an idle thread so that a spare, now surplus, can leave.
    if (threads_ - blocked_ > target_) workAvailable_.notify_one();
}

void WorkerPool::shutDownAtExit() {
    WorkerPool* pool = created.load();
    if (!pool) return;
    std::unique_lock lock(pool->mutex_);
    pool->exiting_ = true;
    pool->workAvailable_.notify_all();
    // exit() may be called from a block on the pool; that block is still running.
    const std::size_t self = onWorkerThread ? 1 : 0;
    pool->taskFinished_.wait_for(lock, kExitGrace, [&] { return pool->running_ <= self; });
}

BlockingScope::BlockingScope() : onWorker_(WorkerPool::isWorkerThread()) {
    if (onWorker_) WorkerPool::instance().beginBlocking();
}

BlockingScope::~BlockingScope() {
    if (onWorker_) WorkerPool::instance().endBlocking();
}

}  // namespace platform::dispatch::detail
