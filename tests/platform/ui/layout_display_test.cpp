#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vistrel/platform/ui/layout_constraint.hpp"
#include "vistrel/platform/ui/view.hpp"
#include "vistrel/platform/ui/window.hpp"

using namespace platform::ui;
using Lines = std::vector<std::string>;

namespace {

Lines* journal = nullptr;

// Writes its name to the journal when it lays out or draws; may ask for more of either.
class Probe : public View {
public:
    Probe(std::string name, Rect frame = {0, 0, 10, 10}) : View(frame), name_(std::move(name)) {}
    bool redrawWhileDrawing = false;
    void layoutSubviews() override {
        View::layoutSubviews();
        if (journal) journal->push_back(name_ + ".layout");
    }
    void draw(const Rect&) override {
        if (journal) journal->push_back(name_ + ".draw" + (needsDisplay() ? "(marked)" : ""));
        if (redrawWhileDrawing) setNeedsDisplay();
    }

private:
    std::string name_;
};

struct Journal {
    Lines lines;
    Journal() { journal = &lines; }
    ~Journal() { journal = nullptr; }
    // What a display pass drew, or what laying out `view` did.
    Lines drawn() {
        displayPass();
        return std::exchange(lines, {});
    }
    Lines laidOut(View& view) {
        view.layoutIfNeeded();
        return std::exchange(lines, {});
    }
};

}  // namespace

TEST(DisplayPassTest, ParentsDrawBeforeChildrenTheMarkIsClearedFirstAndHiddenViewsKeepIt) {
    Journal j;
    auto window = std::make_shared<Window>(Rect{0, 0, 100, 100});
    auto a = std::make_shared<Probe>("a"), a1 = std::make_shared<Probe>("a1"), b = std::make_shared<Probe>("b");
    window->addSubview(a);
    a->addSubview(a1);
    window->addSubview(b);

    EXPECT_TRUE(j.drawn().empty());  // the window is hidden
    window->makeKeyAndVisible();
    a1->redrawWhileDrawing = true;
    EXPECT_EQ(j.drawn(), (Lines{"a.draw", "a1.draw", "b.draw"}));

    // a1 asked again while drawing: it waits for the next pass, and only it draws.
    a1->redrawWhileDrawing = false;
    EXPECT_EQ(j.drawn(), Lines{"a1.draw"});
    EXPECT_TRUE(j.drawn().empty());

    // A hidden view keeps its mark until it is shown.
    auto c = std::make_shared<Probe>("c");
    window->addSubview(c);
    c->setHidden(true);
    EXPECT_TRUE(j.drawn().empty());
    c->setHidden(false);
    EXPECT_EQ(j.drawn(), Lines{"c.draw"});
}

TEST(LayoutTest, LayoutRunsOnceForMarkedViewsParentsFirst) {
    Journal j;
    auto root = std::make_shared<Probe>("root", Rect{0, 0, 100, 100});
    auto child = std::make_shared<Probe>("child");
    root->addSubview(child);
    EXPECT_EQ(j.laidOut(*root), (Lines{"root.layout", "child.layout"}));
    EXPECT_TRUE(j.laidOut(*root).empty());
    child->setFrame({0, 0, 20, 20});  // a new size marks the view itself
    EXPECT_EQ(j.laidOut(*root), Lines{"child.layout"});
    child->setCenter({50, 50});  // a move alone does not
    EXPECT_TRUE(j.laidOut(*root).empty());
}

TEST(LayoutTest, ConstraintsPlaceSubviewsAndFollowTheirConstants) {
    auto container = std::make_shared<View>(Rect{0, 0, 300, 100});
    auto text = std::make_shared<View>(), follower = std::make_shared<View>();
    container->addSubview(text);
    container->addSubview(follower);
    // Makes a constraint and activates it.
    auto pin = [](const std::shared_ptr<View>& item, LayoutAttribute attribute, std::shared_ptr<View> to, double c) {
        auto constraint = LayoutConstraint::make(item, attribute, std::move(to), c);
        constraint->setActive(true);
        return constraint;
    };
    auto leading = pin(text, LayoutAttribute::leading, nullptr, 8);
    pin(text, LayoutAttribute::trailing, nullptr, 8);
    pin(text, LayoutAttribute::height, nullptr, 40);
    pin(text, LayoutAttribute::centerY, container, -10);
    container->layoutIfNeeded();
    EXPECT_EQ(text->frame(), (Rect{8, 20, 284, 40}));

    leading->setConstant(46);
    // A sibling as the related item: its frame, as laid out first, is what counts.
    pin(follower, LayoutAttribute::width, text, 10);
    pin(follower, LayoutAttribute::height, nullptr, 5);
    pin(follower, LayoutAttribute::top, text, 0);
    pin(follower, LayoutAttribute::centerX, text, 0);
    container->layoutIfNeeded();
    EXPECT_EQ(std::tuple(text->frame(), follower->frame()), std::tuple(Rect{46, 20, 246, 40}, Rect{41, 20, 256, 5}));
}

TEST(LayoutTest, TheWindowsRootViewFollowsTheWindowsSize) {
    auto window = std::make_shared<Window>(Rect{0, 0, 200, 100});
    auto root = std::make_shared<View>();
    window->setRootView(root);
    window->setFrame({0, 0, 50, 60});
    window->layoutIfNeeded();
    EXPECT_EQ(root->frame(), (Rect{0, 0, 50, 60}));
}
