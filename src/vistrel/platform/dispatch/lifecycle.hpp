#pragma once
// Internal: what the dispatch layer records at process start-up and does at exit.
#include <thread>

namespace platform::dispatch::detail {

// The thread that ran static initialisation.
std::thread::id mainThreadId();

// True once the process has begun to exit: no new block starts after that.
bool processExiting();

}  // namespace platform::dispatch::detail
