#pragma once
// The host of the global floating button: one instance for the whole process, made on
// first use and never destroyed (so no exit-time teardown order can reach it). It owns
// a window of its own above the application and that window's controller, and carries
// the one right-to-left switch every floating button and item reads when it lays out.
// Main thread only, but for making the instance.
#include <memory>

namespace vistrel {

class Fab;
class FabViewController;
class FabWindow;

class FabManager {
public:
    static FabManager& defaultInstance();

    // Made on first use: the window (which makes the controller too), the controller
    // alone, and the hosted button (the controller's; no window).
    const std::shared_ptr<FabWindow>& fabWindow();
    const std::shared_ptr<FabViewController>& fabController();
    std::shared_ptr<Fab> button();

    // Re-lays nothing by itself: buttons and items pick it up the next time they lay
    // themselves out.
    bool rtlMode() const { return rtlMode_; }
    void setRtlMode(bool rtl) { rtlMode_ = rtl; }

    // Animated: a 0.3 s fade of the window's alpha (a hide hides the window when its
    // fade ends, unless a later show came first). Not animated: at once, fully visible
    // when shown.
    void show(bool animated = true);
    void hide(bool animated = true);
    void toggle(bool animated = true);
    bool hidden();

    FabManager(const FabManager&) = delete;
    FabManager& operator=(const FabManager&) = delete;

private:
    FabManager() = default;
    ~FabManager() = default;

    std::shared_ptr<FabWindow> fabWindow_;
    std::shared_ptr<FabViewController> fabController_;
    bool rtlMode_ = false;
    // Counts shows and hides, so that a fade's end knows whether it is still the latest.
    unsigned long visibilityChanges_ = 0;
};

}  // namespace vistrel
