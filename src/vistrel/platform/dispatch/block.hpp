#pragma once
// A unit of work handed to a queue.
#include <functional>

namespace platform::dispatch {

using Block = std::function<void()>;

}  // namespace platform::dispatch
