#pragma once
// What one data task of a session ended with, waited for on the test's thread.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <optional>
#include <string>

#include "vistrel/platform/net/url_session.hpp"

namespace nettest {

struct Outcome {
    std::optional<std::string> data;
    std::optional<platform::net::HTTPURLResponse> response;
    std::optional<platform::Error> error;
    bool onDelegateQueue = false;
};

inline Outcome send(platform::net::URLSession& session, platform::net::URLRequest request) {
    std::promise<Outcome> promise;
    auto queue = session.delegateQueue();
    session.dataTask(std::move(request), [&](auto data, auto response, auto error) {
        promise.set_value({std::move(data), std::move(response), std::move(error), queue.isCurrent()});
    })->resume();
    auto future = promise.get_future();
    EXPECT_EQ(future.wait_for(std::chrono::minutes(2)), std::future_status::ready);  // catches a hang only
    return future.get();
}

}  // namespace nettest
