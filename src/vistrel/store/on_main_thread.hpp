#pragma once
// Runs work of the store on the main thread: at once when called there, else on the main
// queue while the caller waits for its result. Never inside a write of the store the main
// thread holds (a record's save, whose host code may wait for this very caller): it waits
// for that write to end, at most as long as a save waits for another host's, and past
// that gives up, with a line logged, giving what a failure gives (false, none, nothing;
// platform/store/main_thread_write.hpp). An exception of the work reaches the caller, on
// whatever thread it called from, as it does on the main thread.
#include <exception>
#include <optional>
#include <type_traits>
#include <utility>

#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/store/main_thread_write.hpp"

namespace vistrel {

template <class Work>
auto onMainThread(Work&& work) -> std::invoke_result_t<Work&> {
    using Result = std::invoke_result_t<Work&>;
    if (platform::dispatch::isMainThread()) return work();
    // The main queue logs and swallows what a block throws: it is caught here first.
    std::exception_ptr thrown;
    if constexpr (std::is_void_v<Result>) {
        platform::store::runOnMainThreadOutsideWrites([&] {
            try {
                work();
            } catch (...) {
                thrown = std::current_exception();
            }
        });
        if (thrown) std::rethrow_exception(thrown);
    } else {
        std::optional<Result> result;
        const bool ran = platform::store::runOnMainThreadOutsideWrites([&] {
            try {
                result.emplace(work());
            } catch (...) {
                thrown = std::current_exception();
            }
        });
        if (thrown) std::rethrow_exception(thrown);
        if (!ran) return Result{};
        return std::move(*result);
    }
}

}  // namespace vistrel
