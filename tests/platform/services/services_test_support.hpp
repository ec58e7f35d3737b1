#pragma once
// What the service tests share: a shown window whose root screen presents the service
// screens, and the main queue drained after each test.
#include <gtest/gtest.h>

#include <memory>

#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/graphics/font_configuration.hpp"
#include "vistrel/platform/ui/view_controller.hpp"
#include "vistrel/platform/ui/window.hpp"

namespace servicestest {

using namespace platform::ui;

inline void drain() { platform::dispatch::RunLoop::runUntilIdle(); }

inline Point centre(const View& view) {
    const Rect r = view.convertRect(view.bounds(), nullptr);
    return {r.midX(), r.midY()};
}

class PresentingTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::graphics::useIsolatedFontConfiguration();
        window->setRootViewController(root);
        window->makeKeyAndVisible();
    }
    void TearDown() override {
        root->dismiss(false);
        drain();
    }
    // Presents `screen` on the root at once, laid out.
    template <class T>
    std::shared_ptr<T> presented(std::shared_ptr<T> screen) {
        root->present(screen, false);
        window->layoutIfNeeded();
        return screen;
    }

    std::shared_ptr<ViewController> root = std::make_shared<ViewController>();
    std::shared_ptr<Window> window = std::make_shared<Window>();
};

}  // namespace servicestest
