#include "vistrel/platform/ui/update_pass.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/ui/window.hpp"

using namespace platform::ui;
using platform::dispatch::RunLoop;
using Lines = std::vector<std::string>;

namespace {

// Notes when it draws.
class Drawn : public View {
public:
    Drawn(Lines& lines, std::string name) : lines_(lines), name_(std::move(name)) {}
    void draw(const Rect&) override { lines_.push_back(name_ + ".draw"); }

protected:
    Lines& lines_;
    std::string name_;
};

// Notes when it lays out, too. Its layout places its first subview in its right half,
// marks its second subview for display and queues a block on the main queue.
class Panel : public Drawn {
public:
    Panel(Lines& lines, std::string name) : Drawn(lines, std::move(name)) { setFrame({0, 0, 40, 20}); }
    void layoutSubviews() override {
        lines_.push_back(name_ + ".layout");
        const Rect b = bounds();
        subviews()[0]->setFrame({b.midX(), 0, b.width() / 2, b.height()});
        subviews()[1]->setNeedsDisplay();
        platform::dispatch::main().async([this] { lines_.push_back(name_ + ".queued"); });
    }
};

struct Scene {
    Lines lines;
    std::shared_ptr<Window> window = std::make_shared<Window>(Rect{0, 0, 40, 20});
    std::shared_ptr<Panel> panel = std::make_shared<Panel>(lines, "panel");
    std::shared_ptr<View> box = std::make_shared<View>();
    std::shared_ptr<Drawn> marked = std::make_shared<Drawn>(lines, "marked");
    Scene() {
        window->addSubview(panel);
        panel->addSubview(box);
        panel->addSubview(marked);
        box->setBackgroundColor(Color::red());
    }
    Lines take() { return std::exchange(lines, {}); }
};

}  // namespace

TEST(UpdatePassTest, TheRunLoopLaysOutThenDisplaysShownWindowsAfterEachDrain) {
    Scene scene;
    RunLoop::runUntilIdle();
    EXPECT_TRUE(scene.take().empty());  // the window is hidden: nothing is laid out or drawn

    scene.window->makeKeyAndVisible();
    RunLoop::runUntilIdle();
    // Layout first, then the display of every marked view, the one marked during layout
    // included; the block layout queued runs in the same call, then nothing more is due.
    EXPECT_EQ(scene.take(), (Lines{"panel.layout", "panel.draw", "marked.draw", "panel.queued"}));
    EXPECT_EQ(scene.box->frame(), (Rect{20, 0, 20, 20}));

    // A later request needs nobody to call layoutIfNeeded: the next drain does it.
    scene.panel->setNeedsLayout();
    platform::dispatch::main().async([&] { scene.lines.push_back("block"); });
    RunLoop::runUntilIdle();
    EXPECT_EQ(scene.take(), (Lines{"block", "panel.layout", "marked.draw", "panel.queued"}));
}
