#include "vistrel/core/on_main_queue.hpp"

#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/dispatch/queue.hpp"

namespace vistrel {

void runOnMainQueue(platform::dispatch::Block work) {
    if (!work) return;
    if (platform::dispatch::isMainThread())
        work();
    else
        platform::dispatch::main().async(std::move(work));
}

}  // namespace vistrel
