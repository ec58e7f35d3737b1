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

void WorkerPool::submit(Block task) {
    std::lock_guard lock(mutex_);
    if (exiting_) return;
    tasks_.push_back(std::move(task));
    workAvailable_.notify_one();
    // Idle workers each take one task; start another thread only when they cannot
    // cover what waits and the pool has fewer unblocked threads than it should.
    if (tasks_.size() > idle_ && threads_ - blocked_ < target_) spawnLocked();
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
        while (tasks_.empty() || exiting_) {
            // Spare threads started for blocked workers leave once they are not needed.
            if (exiting_ || threads_ - blocked_ > target_) {
                --threads_;
                return;
            }
            ++idle_;
            workAvailable_.wait(lock);
            --idle_;
        }
        Block task = std::move(tasks_.front());
        tasks_.pop_front();
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
    if (!exiting_ && tasks_.size() > idle_ && threads_ - blocked_ < target_) spawnLocked();
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
