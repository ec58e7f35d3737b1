#pragma once
// Internal: the queues behind the Queue handle.
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "vistrel/platform/dispatch/block.hpp"
#include "vistrel/platform/dispatch/clock.hpp"
#include "vistrel/platform/dispatch/queue.hpp"

namespace platform::dispatch::detail {

class QueueImpl : public std::enable_shared_from_this<QueueImpl> {
public:
    explicit QueueImpl(std::string label) : label_(std::move(label)) {}
    virtual ~QueueImpl() = default;
    QueueImpl(const QueueImpl&) = delete;
    QueueImpl& operator=(const QueueImpl&) = delete;

    const std::string& label() const { return label_; }

    virtual void enqueue(Block block) = 0;
    virtual void sync(Block block) = 0;
    virtual bool isCurrent() const;

private:
    std::string label_;
};

// Drained only by the run loop on the main thread.
class MainQueue final : public QueueImpl {
public:
    static const std::shared_ptr<MainQueue>& instance();

    MainQueue() : QueueImpl("main") {}
    void enqueue(Block block) override;
    void sync(Block block) override;
    bool isCurrent() const override;

    // Takes the next block, if any.
    bool tryPop(Block& block);
    // Waits until a block is queued or the real-time deadline passes.
    void waitForWork(TimePoint deadline);

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<Block> blocks_;
};

class GlobalQueue final : public QueueImpl {
public:
    static const std::shared_ptr<GlobalQueue>& instance(QualityOfService quality);

    explicit GlobalQueue(QualityOfService quality)
        : QueueImpl(quality == QualityOfService::utility ? "global.utility" : "global"), quality_(quality) {}
    void enqueue(Block block) override;
    void sync(Block block) override;

private:
    const QualityOfService quality_;
};

// One block at a time, in order, on the pool. Whoever runs the queue's blocks owns it:
// a pool task draining it, or a thread in sync, which waits for its turn and then runs
// its block itself.
class SerialQueue final : public QueueImpl {
public:
    using QueueImpl::QueueImpl;
    void enqueue(Block block) override;
    void sync(Block block) override;

private:
    struct Item {
        Block block;
        bool* turn = nullptr;  // set for a thread waiting in sync: its place in line
    };

    void drain();
    void startNextLocked();

    std::mutex mutex_;
    std::condition_variable turnGiven_;
    std::deque<Item> items_;
    bool owned_ = false;
    bool drainSubmitted_ = false;
};

}  // namespace platform::dispatch::detail
