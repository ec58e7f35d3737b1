#pragma once
// What the UI tests share: a journal that recording screens write to, a shown window
// with a root screen, the centre of a view in window coordinates (where a finger taps it),
// and the main queue drained after each test so that no animation outlives it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/recording_controller.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/ui/touch.hpp"
#include "vistrel/platform/ui/window.hpp"

namespace uitest {

using namespace platform::ui;
using Lines = std::vector<std::string>;
using testsupport::RecordingController;
using testsupport::take;

inline void drain() { platform::dispatch::RunLoop::runUntilIdle(); }

inline Point centre(const View& view) {
    const Rect r = view.convertRect(view.bounds(), nullptr);
    return {r.midX(), r.midY()};
}

// A target that counts the actions sent to it.
struct Tally {
    int taps = 0;
    void tapped() { ++taps; }
};

// A view that notes the touch phases it receives, as "phase/tap count", and where in
// itself the touch was.
class TouchRecorder : public View {
public:
    using View::View;
    Lines phases;
    std::vector<Point> locations;
    void touchesBegan(const TouchSet& t, const Event*) override { record("began", t); }
    void touchesMoved(const TouchSet& t, const Event*) override { record("moved", t); }
    void touchesEnded(const TouchSet& t, const Event*) override { record("ended", t); }
    void touchesCancelled(const TouchSet& t, const Event*) override { record("cancelled", t); }

private:
    void record(const char* phase, const TouchSet& t) {
        phases.push_back(std::string(phase) + "/" + std::to_string(t.front()->tapCount()));
        locations.push_back(t.front()->location(this));
    }
};

class JournalTest : public ::testing::Test {
protected:
    void TearDown() override { drain(); }

    // Shows `window` (a new one when none is given) with `root`; the journal starts empty.
    std::shared_ptr<Window> show(const std::shared_ptr<ViewController>& root,
                                 std::shared_ptr<Window> window = std::make_shared<Window>()) {
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        take(journal);
        return window;
    }

    testsupport::Journal journal = testsupport::makeJournal();
};

}  // namespace uitest
