#include "vistrel/platform/store/main_thread_write.hpp"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace platform::store {

namespace {

// A call from another thread. Unless it is done afterwards, its work refers to the caller's
// frame, so it runs only while the caller still waits for it.
struct Call {
    std::function<void()> work;
    GivenUp givenUp = GivenUp::neverRuns;
    enum class State { waiting, running, done, givenUp } state = State::waiting;
    bool insideAWrite = false;  // its work runs inside a write the main thread held before it
    bool putOff = false;        // its work asked to run again once that write ends
};

struct Writes {
    std::mutex mutex;
    std::condition_variable changed;  // a write begun or ended, a call run
    int held = 0;                     // the main thread's writes, nested ones counted
    std::uint64_t begun = 0;          // the outermost writes begun so far
    std::uint64_t givenUpIn = 0;      // the write in which a call was last given up (0: none)
    std::vector<std::function<void()>> afterwards;  // blocks for when the writes end
};

// Never destroyed: blocks on the main queue may outlive static teardown.
Writes& writes() {
    static auto* instance = new Writes;
    return *instance;
}

std::atomic<long long> boundOverride{0};

// The call whose work runs now on the main thread, if any (calls nest when its work runs
// the main loop).
thread_local Call* runningCall = nullptr;

void run(const std::shared_ptr<Call>& call);

// Runs the call again once the main thread's writes end.
void runAfterTheWrite(const std::shared_ptr<Call>& call) {
    {
        std::lock_guard lock(writes().mutex);
        if (writes().held > 0) {
            writes().afterwards.push_back([call] { run(call); });
            return;
        }
    }
    dispatch::main().async([call] { run(call); });
}

void run(const std::shared_ptr<Call>& call) {
    {
        std::lock_guard lock(writes().mutex);
        if (call->state == Call::State::givenUp && call->givenUp == GivenUp::neverRuns) return;  // its caller is gone
        if (call->state == Call::State::waiting) call->state = Call::State::running;
        call->insideAWrite = writes().held > 0;
        call->putOff = false;
    }
    struct Running {
        Call* outer;
        explicit Running(Call* call) : outer(std::exchange(runningCall, call)) {}
        ~Running() { runningCall = outer; }
    };
    bool putOff = false;
    try {
        Running running(call.get());
        call->work();
        putOff = call->putOff;
    } catch (...) {
        // A work done afterwards, for no caller: the main queue logs what it threw.
        std::lock_guard lock(writes().mutex);
        if (call->state == Call::State::running) call->state = Call::State::done;
        writes().changed.notify_all();
        throw;
    }
    if (putOff) {
        {
            std::lock_guard lock(writes().mutex);
            if (call->state == Call::State::running) call->state = Call::State::waiting;
            writes().changed.notify_all();
        }
        fileStep("store: put off until the main thread's write ends");
        runAfterTheWrite(call);
        return;
    }
    std::lock_guard lock(writes().mutex);
    if (call->state == Call::State::running) call->state = Call::State::done;
    writes().changed.notify_all();
}

}  // namespace

std::chrono::milliseconds mainThreadCallWaitBound() {
    const long long overridden = boundOverride.load();
    return overridden > 0 ? std::chrono::milliseconds(overridden) : kMainThreadCallWaitBound;
}

void setMainThreadCallWaitBound(std::optional<std::chrono::milliseconds> bound) {
    boundOverride = bound ? bound->count() : 0;
}

MainThreadWrite::MainThreadWrite() : counted_(dispatch::isMainThread()) {
    if (!counted_) return;
    std::lock_guard lock(writes().mutex);
    if (writes().held++ == 0) ++writes().begun;
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

bool mainThreadHoldsAWrite() {
    std::lock_guard lock(writes().mutex);
    return writes().held > 0;
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

bool putOffUntilTheWriteEnds() {
    // A write the call's own work took is its own: what is asked inside it is that write's.
    if (!runningCall || !runningCall->insideAWrite || !dispatch::isMainThread()) return false;
    std::lock_guard lock(writes().mutex);
    runningCall->putOff = true;
    return true;
}

bool runOnMainThread(std::function<void()> work, GivenUp givenUp) {
    if (dispatch::isMainThread()) {
        work();
        return true;
    }
    auto call = std::make_shared<Call>();
    call->work = std::move(work);
    call->givenUp = givenUp;
    dispatch::main().async([call] { run(call); });
    std::unique_lock lock(writes().mutex);
    // Counted for one write at a time, from when the call first finds the main thread held
    // in it: a write that ends lets the count start again at the next. Not counted while the
    // main thread holds no write (it is busy, never waiting on this thread for the store), nor
    // while the work runs.
    std::optional<std::chrono::steady_clock::time_point> deadline;
    std::uint64_t counted = 0;
    while (call->state != Call::State::done) {
        // A write in which a call was given up already holds the main thread for that call's
        // thread, or for this one: no other call waits the bound out again in it.
        const bool another = call->state == Call::State::waiting && writes().held > 0 &&
                             writes().givenUpIn == writes().begun;
        if (!another && (call->state != Call::State::waiting || writes().held == 0)) {
            writes().changed.wait(lock);
            continue;
        }
        if (!deadline || counted != writes().begun) {
            deadline = std::chrono::steady_clock::now() + mainThreadCallWaitBound();
            counted = writes().begun;
        }
        if (another || (writes().changed.wait_until(lock, *deadline) == std::cv_status::timeout &&
                        call->state == Call::State::waiting && writes().held > 0 && counted == writes().begun)) {
            call->state = Call::State::givenUp;
            writes().givenUpIn = writes().begun;
            lock.unlock();
            log(concatenate(another ? "store :: a call from another thread met a write of the store the main thread "
                                      "holds in which a call was given up already"
                                    : "store :: a call from another thread waited for one write of the store the "
                                      "main thread holds as long as it may (code run under it waits for that thread?)",
                            givenUp == GivenUp::neverRuns ? "; it is given up" : "; it is done once that write ends"));
            return false;
        }
    }
    return true;
}

}  // namespace platform::store
