#pragma once
// Where a launcher puts what it opens: over the screen the user sees, which is the top
// of the presentations of the window that shows the target screen. A screen that is not
// on show cannot present, so presenting from it would lose what was opened.
#include <functional>
#include <memory>
#include <string_view>

namespace platform::ui {
class ViewController;
}

namespace vistrel {

// The root controller of the target's window followed through what each presents, up to
// the last one that is not closing. A target covered by a full-screen presentation is
// off its window; the window is then the one of what it presents. Null when neither the
// target nor anything it presents is in a window.
std::shared_ptr<platform::ui::ViewController> presentingScreen(const platform::ui::ViewController& target);

// Screens are built and presented on the main thread only.
using ScreenMaker = std::function<std::shared_ptr<platform::ui::ViewController>()>;

// On the main queue (posted there from another thread): builds the screen with `make`
// and presents it, animated, from presentingScreen(target). While the top presentation
// is closing it waits for the close to end, so nothing is refused and lost. A target
// that is gone or in no window gets a log line naming `what`, and nothing is built.
void presentOverTarget(const std::shared_ptr<platform::ui::ViewController>& target, ScreenMaker make,
                       std::string_view what);

}  // namespace vistrel
