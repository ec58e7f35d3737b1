#pragma once
// What the floating menu's tests share: a manual clock, a shown window with a plain
// screen, a delegate that notes its calls, and the right-to-left switch put back after
// each test.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "support/manual_time.hpp"
#include "vistrel/fab/fab.hpp"
#include "vistrel/fab/fab_manager.hpp"
#include "vistrel/platform/ui/touch_delivery.hpp"
#include "vistrel/platform/ui/window.hpp"

namespace fabtest {

using namespace platform::ui;
using vistrel::Fab;
using vistrel::FabItem;
using vistrel::FabItemLabelPositionType;
using vistrel::FabOpenAnimationType;
using namespace std::chrono_literals;

// Notes each call as "name closed=0/1".
class RecordingDelegate : public vistrel::FabDelegate {
public:
    std::vector<std::string> calls;
    void emptyFabSelected(Fab& f) override { note("emptyFabSelected", f); }
    void fabWillOpen(Fab& f) override { note("fabWillOpen", f); }
    void fabDidOpen(Fab& f) override { note("fabDidOpen", f); }
    void fabWillClose(Fab& f) override { note("fabWillClose", f); }
    void fabDidClose(Fab& f) override { note("fabDidClose", f); }
    void fabOpened(Fab& f) override { note("fabOpened", f); }
    void fabClosed(Fab& f) override { note("fabClosed", f); }

private:
    void note(const char* name, Fab& f) { calls.push_back(std::string(name) + (f.closed() ? " closed" : " open")); }
};

class FabTest : public ::testing::Test {
protected:
    void SetUp() override {
        window->setBackgroundColor(Color::white());
        window->setHidden(false);
    }
    void TearDown() override {
        vistrel::FabManager::defaultInstance().setRtlMode(false);
        time.advance(1h);
    }

    // A self-placing button in the window, drawn once.
    std::shared_ptr<Fab> placedFab() {
        auto fab = std::make_shared<Fab>();
        window->addSubview(fab);
        fab->displayIfNeeded();
        return fab;
    }

    testsupport::ManualTime time;
    std::shared_ptr<Window> window = std::make_shared<Window>(Rect{0, 0, 375, 667});
};

}  // namespace fabtest
