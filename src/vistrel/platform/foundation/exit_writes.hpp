#pragma once
// Writes left for a normal exit of the process (a return from main, or exit()): what an
// owner could not write when it was asked to (another process held its turn) is written
// once more as the process ends. All of them together wait for other processes
// callWaitBound at most, so that an exit never hangs behind a holder stopped dead.
#include <functional>

namespace platform {

// Leaves `write` to be called at exit on behalf of `owner` (once: an owner that left one
// already keeps it). The writes run in the order left, on the thread that exits, before
// whatever was made before the first was left is destroyed. A write left while they run,
// or in a process forked from the one that left it, is not made.
void writeAtExit(const void* owner, std::function<void()> write);

// Withdraws the owner's write (an owner that goes first), waiting while the writes run.
void withdrawExitWrite(const void* owner);

}  // namespace platform
