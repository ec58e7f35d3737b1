#include "vistrel/platform/ui/update_pass.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/ui/window.hpp"

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

ClockDriven::~ClockDriven() { stopFollowingClock(); }

void ClockDriven::startFollowingClock() {
    start_ = dispatch::now();
    if (!followsClock()) clockDriven().push_back(this);
}

void ClockDriven::stopFollowingClock() { std::erase(clockDriven(), this); }

bool ClockDriven::followsClock() const {
    const auto& views = clockDriven();
    return std::find(views.begin(), views.end(), this) != views.end();
}

double ClockDriven::secondsFollowed() const {
    if (!followsClock()) return 0;
    return std::max(0.0, std::chrono::duration<double>(dispatch::now() - start_).count());
}

std::size_t ClockDriven::frameNow(double frameSeconds, std::size_t count) const {
    if (count == 0 || !followsClock() || !(frameSeconds > 0) || !std::isfinite(frameSeconds)) return 0;
    // A hair over the exact boundary belongs to the next frame, whatever the rounding.
    const double frames = std::floor(secondsFollowed() / frameSeconds + 1e-9);
    return static_cast<std::size_t>(std::fmod(frames, static_cast<double>(count)));
}

}  // namespace detail

}  // namespace platform::ui
