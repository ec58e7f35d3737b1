// Transitions that end later: each is ended once, by its main-queue block or by the
// next transition's start, whichever comes first.
#include <deque>

#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/ui/view_controller_private.hpp"

namespace platform::ui::detail {

namespace {

struct PendingEnd {
    std::function<void()> end;
    bool done = false;

    void run() {
        if (done) return;
        done = true;
        auto block = std::move(end);
        if (block) block();
    }
};

// Main thread only, like all view work.
std::deque<std::shared_ptr<PendingEnd>>& pending() {
    static auto* list = new std::deque<std::shared_ptr<PendingEnd>>;
    return *list;
}

}  // namespace

void endTransition(bool animated, std::function<void()> end) {
    if (!animated) {
        if (end) end();
        return;
    }
    auto entry = std::make_shared<PendingEnd>(PendingEnd{std::move(end)});
    pending().push_back(entry);
    dispatch::main().async([entry] {
        std::erase(pending(), entry);
        entry->run();
    });
}

void finishPendingTransitions() {
    // One at a time: an end may begin a new transition, which comes here again.
    while (!pending().empty()) {
        auto entry = pending().front();
        pending().pop_front();
        entry->run();
    }
}

}  // namespace platform::ui::detail
