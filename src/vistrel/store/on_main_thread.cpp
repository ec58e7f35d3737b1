#include "vistrel/store/on_main_thread.hpp"

#include <memory>
#include <mutex>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace vistrel {

namespace {

void logThrownAfterwards(const std::exception_ptr& thrown) {
    try {
        std::rethrow_exception(thrown);
    } catch (const std::exception& e) {
        platform::log(platform::concatenate("store :: a call done once the main thread's write ended threw: ",
                                            platform::excerptOnOneLine(e.what(), 512, 4)));
    } catch (...) {
        platform::log("store :: a call done once the main thread's write ended threw");
    }
}

}  // namespace

void onMainThreadAtLeastLater(std::function<void()> work) {
    if (platform::dispatch::isMainThread()) return work();
    // What the work throws reaches its caller while it waits; once it is gone, the log.
    struct Outcome {
        std::mutex mutex;
        bool callerGone = false;
        std::exception_ptr thrown;
    };
    auto outcome = std::make_shared<Outcome>();
    const bool ran = platform::store::runOnMainThread(
        [work = std::move(work), outcome] {
            try {
                work();
            } catch (...) {
                std::lock_guard lock(outcome->mutex);
                if (outcome->callerGone) logThrownAfterwards(std::current_exception());
                else outcome->thrown = std::current_exception();
            }
        },
        platform::store::GivenUp::doneAfterwards);
    std::lock_guard lock(outcome->mutex);
    if (ran && outcome->thrown) std::rethrow_exception(outcome->thrown);
    outcome->callerGone = true;
    if (outcome->thrown) logThrownAfterwards(outcome->thrown);
}

}  // namespace vistrel
