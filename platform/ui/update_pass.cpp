#include "platform/ui/update_pass.hpp"

#include <algorithm>
#include <vector>

#include "platform/dispatch/run_loop.hpp"
#include "platform/ui/window.hpp"

namespace platform::ui {

namespace {

std::vector<std::shared_ptr<Window>> shownWindowsByLevel() {
    auto windows = Window::allWindows();
    std::erase_if(windows, [](const auto& w) { return w->isHidden(); });
    std::stable_sort(windows.begin(), windows.end(),
                     [](const auto& a, const auto& b) { return a->level() < b->level(); });
    return windows;
}

// Main thread only, like all view work; never destroyed, so that a view living until
// exit can still leave it.
std::vector<detail::ClockDriven*>& clockDriven() {
    static auto* views = new std::vector<detail::ClockDriven*>;
    return *views;
}

}  // namespace

void updatePass() {
    const auto windows = shownWindowsByLevel();
    for (const auto& window : windows) window->layoutIfNeeded();
    // A copy: a view may stop following the clock while it is asked.
    const auto following = clockDriven();
    for (auto* view : following)
        if (std::find(clockDriven().begin(), clockDriven().end(), view) != clockDriven().end())
            view->clockDidAdvance();
    for (const auto& window : windows) window->displayIfNeeded();
}

void displayPass() {
    for (const auto& window : shownWindowsByLevel()) window->displayIfNeeded();
}

namespace detail {

void installUpdatePass() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    dispatch::RunLoop::setDrainHook(updatePass);
}

ClockDriven::~ClockDriven() { followClock(false); }

void ClockDriven::followClock(bool follow) {
    auto& views = clockDriven();
    const auto it = std::find(views.begin(), views.end(), this);
    if (follow && it == views.end()) views.push_back(this);
    if (!follow && it != views.end()) views.erase(it);
}

}  // namespace detail

}  // namespace platform::ui
