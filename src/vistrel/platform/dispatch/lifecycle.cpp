#include "vistrel/platform/dispatch/lifecycle.hpp"

#include <atomic>
#include <cstdlib>

#include "vistrel/platform/dispatch/worker_pool.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace platform::dispatch::detail {

namespace {

std::atomic<bool> exiting{false};

void onExit() {
    exiting.store(true);
    WorkerPool::shutDownAtExit();
}

// Runs during static initialisation, on the thread that will run main().
struct StartUp {
    StartUp() {
        mainThreadId();
        // Objects constructed before an exit handler is registered are destroyed after
        // it runs. Construct the log's state now so that it outlives onExit and the
        // blocks still running while onExit waits for them.
        platform::setLogSink(platform::setLogSink({}));
        std::atexit(onExit);
    }
};

const StartUp startUp;

}  // namespace

std::thread::id mainThreadId() {
    static const std::thread::id id = std::this_thread::get_id();
    return id;
}

bool processExiting() { return exiting.load(); }

}  // namespace platform::dispatch::detail
