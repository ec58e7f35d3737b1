#pragma once
// The demo's walk through the tutorial.
#include <filesystem>
#include <memory>

namespace platform::ui {
class ViewController;
}

// Walks through the tutorial that `presenter` (a screen shown in a window) presents, after
// presenting one as the camera screen's menu does when it presents none: swipes through
// its four pages as a user would, writes the window on each page as tutorial-1.png ...
// tutorial-4.png into `out`, prints one line per page (its title), then closes the
// tutorial with its close button. False, with a line saying why, when a step could not be done.
bool runTutorialDemo(const std::shared_ptr<platform::ui::ViewController>& presenter, const std::filesystem::path& out);
