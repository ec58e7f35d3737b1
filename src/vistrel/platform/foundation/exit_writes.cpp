#include "vistrel/platform/foundation/exit_writes.hpp"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <utility>
#include <vector>

#include "vistrel/platform/foundation/wait_bound.hpp"

namespace platform {

namespace {

struct ExitWrites {
    // Recursive: a write run at exit may withdraw or leave one itself.
    std::recursive_mutex mutex;
    std::vector<std::pair<const void*, std::function<void()>>> writes;
    pid_t process = 0;  // the one that left them
    bool handlerSet = false, running = false;
};

// Never destroyed: it is used as the process ends, after whatever static teardown.
ExitWrites& exitWrites() {
    static auto* writes = new ExitWrites;
    return *writes;
}

void writeAll() {
    ExitWrites& all = exitWrites();
    std::lock_guard lock(all.mutex);
    if (all.running || all.process != ::getpid()) return;
    all.running = true;
    const WaitBound bound(callWaitBound);
    // An owner withdrawing meanwhile (on another thread, as it goes) waits on the lock, so
    // each one lives while its write runs.
    for (auto& [owner, write] : all.writes) {
        try {
            write();
        } catch (...) {
            // Nothing may stop a process ending: what could not be written stays unwritten.
        }
    }
    all.writes.clear();
}

}  // namespace

void writeAtExit(const void* owner, std::function<void()> write) {
    ExitWrites& all = exitWrites();
    std::lock_guard lock(all.mutex);
    if (all.running) return;
    if (std::any_of(all.writes.begin(), all.writes.end(), [&](const auto& left) { return left.first == owner; }))
        return;
    all.writes.emplace_back(owner, std::move(write));
    // Registered at the first write left, after what that owner's work made so far: the
    // static objects it uses are destroyed only after the writes have run.
    if (!std::exchange(all.handlerSet, true)) {
        all.process = ::getpid();
        std::atexit(&writeAll);
    }
}

void withdrawExitWrite(const void* owner) {
    ExitWrites& all = exitWrites();
    std::lock_guard lock(all.mutex);
    if (all.running) return;
    std::erase_if(all.writes, [&](const auto& left) { return left.first == owner; });
}

}  // namespace platform
