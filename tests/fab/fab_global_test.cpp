// The global host: its lazily made window, showing and hiding, and which touches its
// window takes.
#include "fab_test_support.hpp"

#include "vistrel/fab/fab_view_controller.hpp"
#include "vistrel/fab/fab_window.hpp"
#include "vistrel/platform/ui/application.hpp"
#include "vistrel/platform/ui/view_controller.hpp"

namespace fabtest {
namespace {

using vistrel::FabManager;

class FabGlobalTest : public FabTest {
protected:
    void TearDown() override {
        auto& manager = FabManager::defaultInstance();
        if (!manager.button()->closed()) manager.button()->close();
        manager.hide(false);
        FabTest::TearDown();
    }
};

TEST_F(FabGlobalTest, TheManagerIsOneAndMakesItsWindowOnlyWhenAskedForIt) {
    EXPECT_EQ(&Fab::global(), &FabManager::defaultInstance());
    auto& manager = FabManager::defaultInstance();
    EXPECT_TRUE(manager.hidden());
    EXPECT_EQ(std::tuple(manager.button(), manager.fabWindow()->rootViewController(), manager.button()->superview()),
              std::tuple(manager.fabController()->fab, manager.fabController(), manager.fabController()->view()));
}

TEST_F(FabGlobalTest, TheLaterOfHideAndShowWinsAndAPlainShowIsVisible) {
    auto& manager = FabManager::defaultInstance();
    auto shown = [&] { return std::tuple(manager.hidden(), manager.fabWindow()->alpha()); };
    manager.toggle();
    EXPECT_EQ(shown(), std::tuple(false, 1.0));
    manager.hide();
    manager.show();  // within the fade
    time.advance(1s);
    EXPECT_EQ(shown(), std::tuple(false, 1.0));
    manager.hide();
    time.advance(1s);
    EXPECT_TRUE(manager.hidden());
    manager.show(false);
    EXPECT_EQ(manager.fabWindow()->alpha(), 1);
}

TEST_F(FabGlobalTest, TheWindowTakesTouchesOnlyOnTheButtonWhileClosedAndAllWhileOpen) {
    auto& manager = FabManager::defaultInstance();
    manager.show(false);
    auto fab = manager.button();
    fab->displayIfNeeded();
    if (fab->items().empty()) fab->addItem("global");
    fab->open();  // and closed again: the items stay above the button, transparent
    fab->close();
    time.advance(1s);
    const auto& floating = manager.fabWindow();
    const Point onButton{fab->frame().midX(), fab->frame().midY()};
    const Rect itemFrame = fab->convertRect(fab->items()[0]->frame(), floating.get());
    const Point onClosedItem{itemFrame.midX(), itemFrame.midY()};
    // A transparent item takes nothing.
    EXPECT_EQ(std::tuple(floating->pointInside(onButton, nullptr), floating->pointInside(onClosedItem, nullptr),
                         floating->pointInside({10, 10}, nullptr)),
              std::tuple(true, false, false));

    // A host window below gets the taps the floating window lets through.
    auto host = std::make_shared<View>(Rect{0, 0, 375, 667});
    window->addSubview(host);
    EXPECT_EQ(std::tuple(Application::shared().touchTarget({10, 10})->view, Application::shared().touchTarget(onButton)->view),
              std::tuple(host, fab));

    fab->open();
    EXPECT_EQ(std::tuple(floating->pointInside({10, 10}, nullptr), Application::shared().touchTarget({10, 10})->window),
              std::tuple(true, floating));
}

TEST_F(FabGlobalTest, AWindowWithAnotherRootTakesNoTouches) {
    vistrel::FabWindow window(Rect{0, 0, 375, 667});
    EXPECT_FALSE(window.pointInside({10, 10}, nullptr));
}

}  // namespace
}  // namespace fabtest
