#include "tutorial_demo.hpp"

#include <chrono>
#include <iostream>
#include <string>

#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/touch_delivery.hpp"
#include "vistrel/platform/ui/window.hpp"
#include "vistrel/screens/tutorial/tutorial_view_controller.hpp"

namespace {

namespace ui = platform::ui;
using platform::dispatch::RunLoop;

// Long enough for the kit's animated presentations and dismissals to end.
void settle() { RunLoop::runFor(std::chrono::milliseconds(600)); }

std::shared_ptr<vistrel::TutorialContentViewController> shownPage(const vistrel::TutorialViewController& tutorial) {
    auto pager = tutorial.pageViewController();
    if (!pager || pager->viewControllers().empty()) return nullptr;
    return std::dynamic_pointer_cast<vistrel::TutorialContentViewController>(pager->viewControllers().front());
}

}  // namespace

bool runTutorialDemo(const std::shared_ptr<ui::ViewController>& presenter, const std::filesystem::path& out) {
    std::cout << "\n== the tutorial\n";
    // A screen covered by one it presents leaves the window; the one on top is in it.
    auto window = presenter ? presenter->view()->window() : nullptr;
    if (!window && presenter && presenter->presentedViewController())
        window = presenter->presentedViewController()->view()->window();
    if (!window) {
        std::cout << "the tutorial needs a screen in a window to be presented from\n";
        return false;
    }
    // A tutorial the presenter already shows (opened from its menu) is walked through as is.
    auto tutorial = std::dynamic_pointer_cast<vistrel::TutorialViewController>(presenter->presentedViewController());
    if (!tutorial) {
        tutorial = vistrel::TutorialViewController::instance();
        presenter->present(tutorial, true);
        settle();
    }
    if (presenter->presentedViewController() != tutorial) {
        std::cout << "the tutorial could not be presented\n";
        return false;
    }
    const ui::Rect bounds = window->bounds();
    bool drawn = true;
    for (int number = 1; number <= 4; ++number) {
        if (number > 1) {
            // A finger from the right edge of the page to its left.
            ui::swipe(window, {bounds.width() * 0.85, bounds.height() * 0.45},
                      {bounds.width() * 0.1, bounds.height() * 0.45});
            settle();
        }
        auto page = shownPage(*tutorial);
        std::string name = "tutorial-";
        name += std::to_string(number);
        name += ".png";
        const auto path = out / name;
        auto bitmap = ui::render(*window);
        const bool written = page && page->index == number - 1 && bitmap && platform::graphics::writePng(*bitmap, path);
        drawn = drawn && written;
        std::cout << "page " << number << ": " << (page ? page->contentTitle : std::string("(no page)"));
        if (written)
            std::cout << " -> " << path.string() << "\n";
        else
            std::cout << " (not written)\n";
    }
    auto close = tutorial->closeButton();
    if (!close || close->isHidden()) {
        std::cout << "the close button is not shown on the last page\n";
        return false;
    }
    const ui::Rect frame = close->convertRect(close->bounds(), nullptr);
    ui::tap(window, {frame.midX(), frame.midY()});
    settle();
    const bool closed = presenter->presentedViewController() == nullptr;
    std::cout << (closed ? "closed with its close button\n" : "the close button did not close the tutorial\n");
    return drawn && closed;
}
