#pragma once
// Screens are touched on the main thread only. Work asked for on another thread is
// posted to the main queue instead of running there; the caller does not wait for it.
#include "vistrel/platform/dispatch/block.hpp"

namespace vistrel {

// Runs `work` at once on the main thread; from any other thread, later on the main queue.
void runOnMainQueue(platform::dispatch::Block work);

}  // namespace vistrel
