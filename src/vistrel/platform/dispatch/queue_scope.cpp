#include "vistrel/platform/dispatch/queue_scope.hpp"

#include <exception>
#include <string>

#include "vistrel/platform/foundation/log.hpp"

namespace platform::dispatch::detail {

namespace {
thread_local QueueScope* innermost = nullptr;

void logThrow(std::string_view label, std::string_view what) noexcept try {
    std::string line = "dispatch :: a block on queue '";
    line += escapeControlCharacters(label);
    line += "' threw :: ";
    line += escapeControlCharacters(what);
    platform::log(line);
} catch (...) {
    // Out of memory while reporting: nothing more can be said.
}
}  // namespace

void runGuarded(const Block& block, std::string_view label) noexcept {
    if (!block) return;
    try {
        block();
    } catch (const std::exception& e) {
        logThrow(label, e.what());
    } catch (...) {
        logThrow(label, "unknown exception");
    }
}

QueueScope::QueueScope(const QueueImpl* queue) : queue_(queue), outer_(innermost) { innermost = this; }

QueueScope::~QueueScope() { innermost = outer_; }

bool QueueScope::isRunning(const QueueImpl* queue) {
    for (const QueueScope* scope = innermost; scope; scope = scope->outer_)
        if (scope->queue_ == queue) return true;
    return false;
}

}  // namespace platform::dispatch::detail
