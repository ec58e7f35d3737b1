#pragma once
// The store's write held by this process's main thread across code its holder calls (a
// host's code among it, which may run the main loop, or wait for a thread of its own), and
// the store calls that reach the main thread meanwhile from other threads.
//
// Such a call runs on the main thread as soon as the main loop runs it: at once when host
// code runs the loop inside the write, as it would outside (a read answers). What must not
// be done inside another record's save (a new record, a save whose answer would hang on
// that record's commit) puts itself off (putOffUntilTheWriteEnds) and runs again once the
// write ends. While the main
// thread is held in a write without running the loop, the caller waits, for each write at
// most kMainThreadCallWaitBound: a host's save may upload its photo for a minute, and a run
// of short writes (a migration of many photos) never adds up. Past it (the main thread may be
// waiting for that very caller) the call is given up, with a line logged, and so is at once
// every other call that meets that same write: one that answers something answers as a
// failure does and never runs; one that answers nothing is still done once the write ends.
#include <chrono>
#include <functional>
#include <optional>

namespace platform::store {

// How long a call from another thread waits for one write the main thread holds: longer than
// a host's save that uploads its photo for as long as a recognition exchange may take (60 s).
inline constexpr std::chrono::milliseconds kMainThreadCallWaitBound{90'000};
// That bound as it is now; tests shorten it (none: back to kMainThreadCallWaitBound).
std::chrono::milliseconds mainThreadCallWaitBound();
void setMainThreadCallWaitBound(std::optional<std::chrono::milliseconds> bound);

// While one lives on the main thread, the main thread holds the store's write. One made
// on another thread counts nothing.
class MainThreadWrite {
public:
    MainThreadWrite();
    ~MainThreadWrite();
    MainThreadWrite(const MainThreadWrite&) = delete;
    MainThreadWrite& operator=(const MainThreadWrite&) = delete;

private:
    const bool counted_;
};

// Whether the main thread holds the store's write now.
bool mainThreadHoldsAWrite();

// On the main thread: runs the block at once, or, while the main thread holds the store's
// write, once that write ends (from the main queue, in the order such blocks came); the
// step "store: put off until the main thread's write ends" is told then.
void outsideMainThreadWrites(std::function<void()> block);

// What becomes of a call from another thread given up.
enum class GivenUp {
    neverRuns,      // its work answers its caller, who is gone: it never runs
    doneAfterwards  // its work holds all it needs: it runs once the write ends
};

// Runs `work` on the main thread and returns once it has run: at once when called there;
// from another thread, on the main queue, as above. False when the call was given up.
bool runOnMainThread(std::function<void()> work, GivenUp givenUp = GivenUp::neverRuns);

// Inside the work of a call from another thread, run on the main thread while it holds the
// store's write: the call is run again, from the start, once that write ends, and what its
// work answers now is dropped; true. False anywhere else. Called before the work changes
// anything, so that running it again does nothing twice.
bool putOffUntilTheWriteEnds();

}  // namespace platform::store
