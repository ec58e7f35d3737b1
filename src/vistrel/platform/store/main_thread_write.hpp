#pragma once
// The store's write held by this process's main thread across code its holder calls (a
// host's code among it, which may run the main loop, or wait for a thread of its own), and
// the store calls that reach the main thread meanwhile. Run inside that write, such a call
// would join it, or be refused as a record asked for from inside another record's save,
// although it is no part of that save: so it never runs there. It waits until the write
// ends, and then runs. A caller on another thread waits for that at most the bound a save
// waits for another host's write (kWriteWaitBound): past it (the main thread may be
// waiting for that very caller) the call is given up, with a line logged, and never runs.
#include <functional>

namespace platform::store {

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

// On the main thread: runs the block at once, or, while the main thread holds the store's
// write, once that write ends (from the main queue, in the order such blocks came); the
// step "store: put off until the main thread's write ends" is told then.
void outsideMainThreadWrites(std::function<void()> block);

// Runs `work` on the main thread and returns once it has run: at once when called there;
// from another thread, on the main queue, outside the main thread's writes (as above). False,
// `work` never run, when the main thread held a write for the whole bound the call
// waited for it.
bool runOnMainThreadOutsideWrites(const std::function<void()>& work);

}  // namespace platform::store
