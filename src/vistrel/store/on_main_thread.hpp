#pragma once
// Runs work of the store on the main thread: at once when called there, else on the main
// queue while the caller waits for its result. Inside a record's save under way there (its
// host code running the main loop), it runs at once as it would outside, and a read
// answers; a new record, a save or a delete of every record waits for that save to end, so
// that what it answers is committed. While the main thread is held in a write without
// running the loop, the caller waits for each write at most
// platform::store::kMainThreadCallWaitBound (a write in which a call was given up, not at
// all), and past that gives up, with a line logged,
// giving what a failure gives (false, none); platform/store/main_thread_write.hpp. An
// exception of the work reaches the caller, on whatever thread it called from, as it does
// on the main thread.
#include <exception>
#include <functional>
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
        platform::store::runOnMainThread([&] {
            try {
                work();
            } catch (...) {
                thrown = std::current_exception();
            }
        });
        if (thrown) std::rethrow_exception(thrown);
    } else {
        std::optional<Result> result;
        const bool ran = platform::store::runOnMainThread([&] {
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

// The same for work that answers nothing and holds all it needs: given up, it is still done
// once the main thread's write ends, and what it throws then is logged.
void onMainThreadAtLeastLater(std::function<void()> work);

}  // namespace vistrel
