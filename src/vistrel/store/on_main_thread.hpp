#pragma once
// Runs work on the main thread: at once when called there, else on the main queue
// while the caller waits for its result. An exception of the work reaches the caller,
// on whatever thread it called from, as it does on the main thread.
#include <exception>
#include <optional>
#include <type_traits>
#include <utility>

#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/dispatch/queue.hpp"

namespace vistrel {

template <class Work>
auto onMainThread(Work&& work) -> std::invoke_result_t<Work&> {
    using Result = std::invoke_result_t<Work&>;
    if (platform::dispatch::isMainThread()) return work();
    // The main queue logs and swallows what a block throws: it is caught here first.
    std::exception_ptr thrown;
    if constexpr (std::is_void_v<Result>) {
        platform::dispatch::main().sync([&] {
            try {
                work();
            } catch (...) {
                thrown = std::current_exception();
            }
        });
        if (thrown) std::rethrow_exception(thrown);
    } else {
        std::optional<Result> result;
        platform::dispatch::main().sync([&] {
            try {
                result.emplace(work());
            } catch (...) {
                thrown = std::current_exception();
            }
        });
        if (thrown) std::rethrow_exception(thrown);
        return std::move(*result);
    }
}

}  // namespace vistrel
