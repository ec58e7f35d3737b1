#pragma once
// Runs work on the main thread: at once when called there, else on the main queue
// while the caller waits for its result.
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
    if constexpr (std::is_void_v<Result>) {
        platform::dispatch::main().sync([&] { work(); });
    } else {
        std::optional<Result> result;
        platform::dispatch::main().sync([&] { result.emplace(work()); });
        return std::move(*result);
    }
}

}  // namespace vistrel
