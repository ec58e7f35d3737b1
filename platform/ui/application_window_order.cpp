#include "platform/ui/application_window_order.hpp"

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/ui/window.hpp"

namespace platform::ui::detail {

namespace {

struct Shown {
    const View* window = nullptr;
    std::weak_ptr<const View> alive;  // tells a window from a later one at the same address
    std::uint64_t order = 0;
};

struct Registry {
    std::mutex mutex;
    std::vector<Shown> windows;
    std::uint64_t counter = 0;
};

Registry& registry() {
    // Never destroyed: windows living until exit may still be shown or asked about.
    static auto* instance = new Registry;
    return *instance;
}

}  // namespace

void viewDidBecomeVisible(const View& view) {
    if (!dynamic_cast<const Window*>(&view)) return;
    std::weak_ptr<const View> alive = view.weak_from_this();
    if (alive.expired()) return;  // not held by a shared pointer: never among the windows
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    std::erase_if(r.windows, [&](const Shown& s) { return s.alive.expired() || s.window == &view; });
    r.windows.push_back({&view, std::move(alive), ++r.counter});
}

std::uint64_t lastShown(const View& window) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    for (const Shown& s : r.windows)
        if (s.window == &window && !s.alive.expired()) return s.order;
    return 0;
}

}  // namespace platform::ui::detail
