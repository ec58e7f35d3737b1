#pragma once
// The hook through which a view reports that it went from hidden to shown. The
// application orders windows of one level by when they were last shown; for any other
// view the call does nothing.
#include <cstdint>

namespace platform::ui {

class View;

namespace detail {

void viewDidBecomeVisible(const View& view);

// When the window was last shown, as a rising count; 0 for a window never shown.
std::uint64_t lastShown(const View& window);

}  // namespace detail
}  // namespace platform::ui
