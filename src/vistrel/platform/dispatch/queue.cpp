#include "vistrel/platform/dispatch/queue.hpp"

#include "vistrel/platform/dispatch/queue_impl.hpp"
#include "vistrel/platform/dispatch/scheduler.hpp"

namespace platform::dispatch {

Queue::Queue(std::shared_ptr<detail::QueueImpl> impl) : impl_(std::move(impl)) {}

void Queue::async(Block block) const { impl_->enqueue(std::move(block)); }

void Queue::asyncAfter(Duration delay, Block block) const {
    auto& scheduler = detail::Scheduler::instance();
    scheduler.schedule(deadlineAfter(scheduler.clock()->now(), delay), impl_, std::move(block));
}

void Queue::asyncAt(TimePoint deadline, Block block) const {
    detail::Scheduler::instance().schedule(deadline, impl_, std::move(block));
}

void Queue::sync(Block block) const { impl_->sync(std::move(block)); }

const std::string& Queue::label() const { return impl_->label(); }

bool Queue::isCurrent() const { return impl_->isCurrent(); }

Queue main() { return Queue(detail::MainQueue::instance()); }

Queue global(QualityOfService quality) { return Queue(detail::GlobalQueue::instance(quality)); }

Queue makeSerialQueue(std::string label) {
    return Queue(std::make_shared<detail::SerialQueue>(std::move(label)));
}

}  // namespace platform::dispatch
