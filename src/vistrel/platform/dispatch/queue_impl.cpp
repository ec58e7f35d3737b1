#include "vistrel/platform/dispatch/queue_impl.hpp"

#include "vistrel/platform/dispatch/queue_scope.hpp"

namespace platform::dispatch::detail {

bool QueueImpl::isCurrent() const { return QueueScope::isRunning(this); }

}  // namespace platform::dispatch::detail
