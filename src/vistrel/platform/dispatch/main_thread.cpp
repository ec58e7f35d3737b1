#include "vistrel/platform/dispatch/main_thread.hpp"

#include <thread>

#include "vistrel/platform/dispatch/lifecycle.hpp"

namespace platform::dispatch {

bool isMainThread() { return std::this_thread::get_id() == detail::mainThreadId(); }

}  // namespace platform::dispatch
