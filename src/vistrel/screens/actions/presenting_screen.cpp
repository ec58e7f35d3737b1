#include "vistrel/screens/actions/presenting_screen.hpp"

#include <chrono>
#include <string>
#include <utility>

#include "vistrel/core/on_main_queue.hpp"
#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/view.hpp"
#include "vistrel/platform/ui/view_controller.hpp"
#include "vistrel/platform/ui/window.hpp"

namespace vistrel {

namespace {

using platform::ui::ViewController;

// A closing presentation takes an animation's time; past this many waits something is
// stuck and the screen is given up with a line rather than waited for for ever.
constexpr int maximumWaits = 100;
constexpr auto waitStep = std::chrono::milliseconds(50);

void attempt(std::weak_ptr<ViewController> weakTarget, ScreenMaker make, std::string what, int waits) {
    auto target = weakTarget.lock();
    auto presenter = target ? presentingScreen(*target) : nullptr;
    if (!presenter) {
        platform::log(std::string("Vistrel :: the screen that asked for ")
                          .append(what)
                          .append(" is not on show; nothing is presented"));
        return;
    }
    if (presenter->presentedViewController()) {
        // The top presentation is on its way out; the presenter takes a new one once it is gone.
        if (waits >= maximumWaits) {
            platform::log(std::string("Vistrel :: a closing screen never went; ").append(what).append(" is not presented"));
            return;
        }
        platform::dispatch::main().asyncAfter(waitStep, [weakTarget, make = std::move(make), what, waits]() mutable {
            attempt(weakTarget, std::move(make), what, waits + 1);
        });
        return;
    }
    if (auto screen = make()) presenter->present(std::move(screen), true);
}

// The window of the target; a target covered by a full-screen presentation is off its
// window, and then the window is the one of what it presents.
std::shared_ptr<platform::ui::Window> windowShowing(const ViewController& target) {
    if (auto view = target.viewIfLoaded(); view && view->window()) return view->window();
    for (auto next = target.presentedViewController(); next; next = next->presentedViewController())
        if (auto view = next->viewIfLoaded(); view && view->window()) return view->window();
    return nullptr;
}

}  // namespace

std::shared_ptr<ViewController> presentingScreen(const ViewController& target) {
    auto window = windowShowing(target);
    auto presenter = window ? window->rootViewController() : nullptr;
    if (!presenter) return nullptr;
    while (auto next = presenter->presentedViewController()) {
        if (next->isBeingDismissed()) break;
        presenter = std::move(next);
    }
    return presenter;
}

void presentOverTarget(const std::shared_ptr<ViewController>& target, ScreenMaker make, std::string_view what) {
    std::weak_ptr<ViewController> weakTarget = target;
    runOnMainQueue([weakTarget, make = std::move(make), what = std::string(what)]() mutable {
        attempt(weakTarget, std::move(make), std::move(what), 0);
    });
}

}  // namespace vistrel
