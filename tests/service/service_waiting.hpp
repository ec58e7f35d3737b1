#pragma once
// Waiting in tests for completions that come on other threads.
#include <atomic>
#include <optional>
#include <string>

#include "vistrel/platform/dispatch/run_loop.hpp"

#include "support/qr/qr_pictures.hpp"
#include "vistrel/platform/graphics/image.hpp"

namespace servicetest {

// Records the calls of a completion with one optional text; the text is written before
// the count, so a caller that has seen the count may read it.
struct Calls {
    std::atomic<int> count = 0;
    std::optional<std::string> data;

    void record(std::optional<std::string> value) {
        data = std::move(value);
        ++count;
    }
    // The bound only catches a hang: a sanitizer build on a loaded machine is slow.
    bool waitForOne() {
        return platform::dispatch::RunLoop::runUntil([&] { return count > 0; }, std::chrono::minutes(2));
    }
};

// An 80 x 40 photo with a colour gradient.
inline platform::graphics::Image photo() {
    auto bitmap = platform::graphics::Bitmap::make(80, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 80; ++x)
            bitmap->setPixel(x, y, platform::graphics::Color{x / 80.0, y / 40.0, 0.5, 1});
    return *platform::graphics::Image::make(std::move(*bitmap));
}

// A photo of the given QR codes on a page.
inline platform::graphics::Image photoOf(std::vector<qrtest::Code> codes, int width = 640, int height = 480) {
    return *platform::graphics::Image::decode(qrtest::sceneJpeg({.width = width, .height = height, .codes = std::move(codes)}));
}

}  // namespace servicetest
