#pragma once
// Waiting in tests for completions that come on other threads.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/graphics/image.hpp"

namespace servicetest {

// Records the calls of a completion with one optional text.
struct Calls {
    std::mutex mutex;
    std::condition_variable changed;
    int count = 0;
    std::optional<std::string> data;

    void record(std::optional<std::string> value) {
        std::lock_guard lock(mutex);
        ++count;
        data = std::move(value);
        changed.notify_all();
    }
    bool waitForOne(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, timeout, [&] { return count > 0; });
    }
};

// Polls a condition set by other threads; false when it does not hold in time.
template <class Predicate>
bool eventually(Predicate predicate, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    auto end = std::chrono::steady_clock::now() + timeout;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// An 80 x 40 photo with a colour gradient.
inline platform::graphics::Image photo() {
    auto bitmap = platform::graphics::Bitmap::make(80, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 80; ++x)
            bitmap->setPixel(x, y, platform::graphics::Color{x / 80.0, y / 40.0, 0.5, 1});
    return *platform::graphics::Image::make(std::move(*bitmap));
}

}  // namespace servicetest
