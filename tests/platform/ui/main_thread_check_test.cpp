// In a debug build the central entries of screens stop the program when a thread other
// than the main one calls them, naming the entry.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/view.hpp"
#include "vistrel/platform/ui/view_controller.hpp"
#include "vistrel/platform/ui/window.hpp"

namespace {

using platform::ui::NavigationController;
using platform::ui::Rect;
using platform::ui::View;
using platform::ui::ViewController;

TEST(MainThreadCheckDeathTest, ScreensTouchedOffTheMainThreadStopTheProgram) {
#ifdef NDEBUG
    GTEST_SKIP() << "the check is compiled into debug builds only";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto offMain = [](const std::function<void()>& work) { std::thread(work).join(); };
    auto parent = std::make_shared<View>(Rect{0, 0, 10, 10});
    auto child = std::make_shared<View>(Rect{0, 0, 5, 5});
    parent->addSubview(child);
    auto root = std::make_shared<ViewController>();
    auto navigation = std::make_shared<NavigationController>(root);
    struct Entry {
        const char* name;
        std::function<void()> call;
    };
    const Entry entries[] = {
        {"View::addSubview", [&] { parent->addSubview(std::make_shared<View>()); }},
        {"View::removeFromSuperview", [&] { child->removeFromSuperview(); }},
        {"ViewController::view \\(loading\\)", [] { std::make_shared<ViewController>()->view(); }},
        {"ViewController::present", [&] { root->present(std::make_shared<ViewController>(), false, {}); }},
        {"NavigationController::pushViewController",
         [&] { navigation->pushViewController(std::make_shared<ViewController>(), false); }},
    };
    for (const Entry& entry : entries) {
        SCOPED_TRACE(entry.name);
        EXPECT_DEATH(offMain(entry.call), entry.name);
    }
    // On the main thread the same calls go through.
    child->removeFromSuperview();
    EXPECT_FALSE(child->superview());
#endif
}

}  // namespace
