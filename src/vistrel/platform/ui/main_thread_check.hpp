#pragma once
// Screens are touched on the main thread only. In a debug build (NDEBUG not defined) the
// central entries every screen goes through (loading a controller's view, appearance,
// adding and removing subviews, presenting, dismissing, pushing and popping) stop the
// program with a log line naming the entry when called from any other thread.
#include "vistrel/platform/dispatch/main_thread.hpp"

namespace platform::ui::detail {

[[noreturn]] void mainThreadViolation(const char* entry);

inline void assertMainThread([[maybe_unused]] const char* entry) {
#ifndef NDEBUG
    if (!dispatch::isMainThread()) mainThreadViolation(entry);
#endif
}

}  // namespace platform::ui::detail
