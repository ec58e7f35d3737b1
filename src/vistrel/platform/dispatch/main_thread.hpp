#pragma once
// The main thread: the thread that ran start-up (static initialisation and main()).
// It is the one that runs the main run loop.

namespace platform::dispatch {

bool isMainThread();

}  // namespace platform::dispatch
