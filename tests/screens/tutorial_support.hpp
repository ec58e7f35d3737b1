#pragma once
// The tutorial as the camera screen's menu shows it: the kit's build bundle, English
// texts, a window whose root screen presents the tutorial, and the pages driven by a
// finger across the window.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "core/vistrel_bundle.hpp"
#include "platform/foundation/locale.hpp"
#include "platform/ui/touch_delivery.hpp"
#include "platform/ui/window.hpp"
#include "screens/tutorial_view_controller.hpp"
#include "support/manual_time.hpp"

namespace tutorialtest {

using namespace std::chrono_literals;

class TutorialTest : public ::testing::Test {
protected:
    void SetUp() override {
        vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{VISTREL_BUILD_BUNDLE});
        platform::setPreferredLanguages(std::vector<std::string>{"en"});
        window->setRootViewController(root);
        window->makeKeyAndVisible();
    }
    void TearDown() override {
        time.advance(1h);
        vistrel::overrideBundleLocations(std::nullopt);
        platform::setPreferredLanguages(std::nullopt);
    }

    // The tutorial presented from the root screen, its presentation finished.
    std::shared_ptr<vistrel::TutorialViewController> present() {
        auto tutorial = vistrel::TutorialViewController::instance();
        root->present(tutorial, true);
        time.advance(1s);
        return tutorial;
    }

    // A finger across the middle of the pages by `dx` points (negative: to the next page).
    void swipeBy(double dx) { platform::ui::swipe(window, {187 - dx / 2, 300}, {187 + dx / 2, 300}); }

    // The position of the page the tutorial's page view controller shows; -1 for none.
    static std::intptr_t shownIndex(const vistrel::TutorialViewController& tutorial) {
        auto pager = tutorial.pageViewController();
        if (!pager || pager->viewControllers().empty()) return -1;
        auto page = std::dynamic_pointer_cast<vistrel::TutorialContentViewController>(pager->viewControllers().front());
        return page ? page->index : -1;
    }

    testsupport::ManualTime time;
    std::shared_ptr<platform::ui::ViewController> root = std::make_shared<platform::ui::ViewController>();
    std::shared_ptr<platform::ui::Window> window = std::make_shared<platform::ui::Window>();
};

}  // namespace tutorialtest
