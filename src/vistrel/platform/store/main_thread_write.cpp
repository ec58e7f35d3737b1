#include "vistrel/platform/store/main_thread_write.hpp"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/store/persistent_store_coordinator.hpp"

namespace platform::store {

namespace {

// A call from another thread: its work refers to the caller's frame, so it runs only while
// the caller still waits for it.
struct Call {
    std::function<void()> work;
    enum class State { waiting, running, done, givenUp } state = State::waiting;
};

struct Writes {
    std::mutex mutex;
    std::condition_variable changed;  // a write begun or ended, a call run
    int held = 0;                     // the main thread's writes, nested ones counted
    std::vector<std::function<void()>> afterwards;  // blocks for when the writes end
};

// Never destroyed: blocks on the main queue may outlive static teardown.
Writes& writes() {
    static auto* instance = new Writes;
    return *instance;
}

}  // namespace

MainThreadWrite::MainThreadWrite() : counted_(dispatch::isMainThread()) {
    if (!counted_) return;
    std::lock_guard lock(writes().mutex);
    ++writes().held;
    writes().changed.notify_all();
}

MainThreadWrite::~MainThreadWrite() {
    if (!counted_) return;
    std::vector<std::function<void()>> due;
    {
        std::lock_guard lock(writes().mutex);
        if (--writes().held == 0) due.swap(writes().afterwards);
        writes().changed.notify_all();
    }
    for (auto& block : due) dispatch::main().async(std::move(block));
}

void outsideMainThreadWrites(std::function<void()> block) {
    {
        std::unique_lock lock(writes().mutex);
        if (writes().held > 0) {
            writes().afterwards.push_back(std::move(block));
            lock.unlock();
            fileStep("store: put off until the main thread's write ends");
            return;
        }
    }
    block();
}

bool runOnMainThreadOutsideWrites(const std::function<void()>& work) {
    if (dispatch::isMainThread()) {
        work();
        return true;
    }
    auto call = std::make_shared<Call>();
    call->work = work;
    dispatch::main().async([call] {
        outsideMainThreadWrites([call] {
            {
                std::lock_guard lock(writes().mutex);
                if (call->state != Call::State::waiting) return;  // given up: its caller is gone
                call->state = Call::State::running;
            }
            call->work();
            std::lock_guard lock(writes().mutex);
            call->state = Call::State::done;
            writes().changed.notify_all();
        });
    });
    std::unique_lock lock(writes().mutex);
    // Counted from when the call first finds the main thread in a write, in all: the main
    // thread may be waiting for this very thread, in a host's code under the write.
    std::optional<std::chrono::steady_clock::time_point> deadline;
    while (call->state != Call::State::done) {
        if (call->state != Call::State::waiting || writes().held == 0) {
            writes().changed.wait(lock);
            continue;
        }
        if (!deadline) deadline = std::chrono::steady_clock::now() + kWriteWaitBound;
        if (writes().changed.wait_until(lock, *deadline) == std::cv_status::timeout &&
            call->state == Call::State::waiting && writes().held > 0) {
            call->state = Call::State::givenUp;
            lock.unlock();
            log("store :: a call from another thread waited for the main thread's write of the store as long as a "
                "save waits for another host's (code run under it waits for that thread?); it is given up");
            return false;
        }
    }
    return true;
}

}  // namespace platform::store
