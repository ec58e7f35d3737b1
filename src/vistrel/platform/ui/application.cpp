#include "vistrel/platform/ui/application.hpp"

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <utility>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/touch_delivery.hpp"
#include "vistrel/platform/ui/window.hpp"

namespace platform::ui {

namespace {

std::string programName() {
    const char* name = program_invocation_short_name;
    return name && *name ? name : "application";
}

}  // namespace

struct Application::State {
    mutable std::mutex mutex;
    OpenURLHook hook;  // empty: the default
    std::vector<std::string> opened;
    std::string name = programName();
    std::string version = "1.0";
};

Application& Application::shared() {
    // Never destroyed: windows and hooks may still reach it while the process exits.
    static auto* instance = new Application;
    return *instance;
}

Application::Application() : state_(std::make_unique<State>()) {}

Application::~Application() = default;

std::vector<std::shared_ptr<Window>> Application::windows() const {
    auto windows = Window::allWindows();  // in the order made
    std::stable_sort(windows.begin(), windows.end(), [](const auto& a, const auto& b) {
        if (a->level() != b->level()) return a->level() < b->level();
        return a->shownOrder() < b->shownOrder();
    });
    return windows;
}

std::shared_ptr<Window> Application::keyWindow() const { return Window::keyWindow(); }

std::optional<Application::TouchTarget> Application::touchTarget(Point point) const {
    const auto all = windows();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        const auto& window = *it;
        // A window sits straight on the screen: its frame is in screen coordinates.
        auto fromScreen = window->layer().transformToSuperlayer().inverted();
        if (!fromScreen) continue;
        const Point location = fromScreen->apply(point);
        if (auto view = window->hitTest(location, nullptr)) return TouchTarget{window, std::move(view), location};
    }
    return std::nullopt;
}

std::shared_ptr<View> Application::tap(Point point, int tapCount) const {
    auto target = touchTarget(point);
    if (!target) return nullptr;
    return ui::tap(target->window, target->location, tapCount);
}

bool Application::open(std::string_view url) {
    if (url.empty()) {
        log("Application :: open :: no URL given; nothing opened");
        return false;
    }
    OpenURLHook hook;
    {
        std::lock_guard lock(state_->mutex);
        hook = state_->hook;
    }
    const std::string text(url);
    if (hook) return hook(text);
    log(concatenate("Application :: open :: ", escapeControlCharacters(text)));
    std::lock_guard lock(state_->mutex);
    state_->opened.push_back(text);
    return true;
}

Application::OpenURLHook Application::setOpenURLHook(OpenURLHook hook) {
    std::lock_guard lock(state_->mutex);
    return std::exchange(state_->hook, std::move(hook));
}

std::vector<std::string> Application::openedURLs() const {
    std::lock_guard lock(state_->mutex);
    return state_->opened;
}

void Application::clearOpenedURLs() {
    std::lock_guard lock(state_->mutex);
    state_->opened.clear();
}

std::string Application::name() const {
    std::lock_guard lock(state_->mutex);
    return state_->name;
}

void Application::setName(std::string name) {
    std::lock_guard lock(state_->mutex);
    state_->name = std::move(name);
}

std::string Application::version() const {
    std::lock_guard lock(state_->mutex);
    return state_->version;
}

void Application::setVersion(std::string version) {
    std::lock_guard lock(state_->mutex);
    state_->version = std::move(version);
}

}  // namespace platform::ui
