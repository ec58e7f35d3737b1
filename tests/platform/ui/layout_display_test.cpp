#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/layout_constraint.hpp"
#include "platform/ui/view.hpp"
#include "platform/ui/window.hpp"

using namespace platform::ui;

namespace {

std::vector<std::string>* journal = nullptr;

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
    std::vector<std::string> lines;
    Journal() { journal = &lines; }
    ~Journal() { journal = nullptr; }
};

}  // namespace

TEST(DisplayPassTest, ParentsDrawBeforeChildrenTheMarkIsClearedFirstAndHiddenViewsKeepIt) {
    Journal j;
    auto window = std::make_shared<Window>(Rect{0, 0, 100, 100});
    auto a = std::make_shared<Probe>("a"), a1 = std::make_shared<Probe>("a1"), b = std::make_shared<Probe>("b");
    window->addSubview(a);
    a->addSubview(a1);
    window->addSubview(b);

    displayPass();
    EXPECT_TRUE(j.lines.empty());  // the window is hidden
    window->makeKeyAndVisible();
    a1->redrawWhileDrawing = true;
    displayPass();
    EXPECT_EQ(j.lines, (std::vector<std::string>{"a.draw", "a1.draw", "b.draw"}));

    // a1 asked again while drawing: it waits for the next pass, and only it draws.
    j.lines.clear();
    a1->redrawWhileDrawing = false;
    EXPECT_TRUE(a1->needsDisplay());
    displayPass();
    EXPECT_EQ(j.lines, std::vector<std::string>{"a1.draw"});
    j.lines.clear();
    displayPass();
    EXPECT_TRUE(j.lines.empty());

    // A hidden view keeps its mark until it is shown.
    auto c = std::make_shared<Probe>("c");
    window->addSubview(c);
    c->setHidden(true);
    displayPass();
    EXPECT_TRUE(j.lines.empty());
    c->setHidden(false);
    displayPass();
    EXPECT_EQ(j.lines, std::vector<std::string>{"c.draw"});
}

TEST(LayoutTest, LayoutRunsOnceForMarkedViewsParentsFirst) {
    Journal j;
    auto root = std::make_shared<Probe>("root", Rect{0, 0, 100, 100});
    auto child = std::make_shared<Probe>("child");
    root->addSubview(child);
    root->layoutIfNeeded();
    EXPECT_EQ(j.lines, (std::vector<std::string>{"root.layout", "child.layout"}));
    j.lines.clear();
    root->layoutIfNeeded();
    EXPECT_TRUE(j.lines.empty());
    child->setFrame({0, 0, 20, 20});  // a new size marks the view itself
    root->layoutIfNeeded();
    EXPECT_EQ(j.lines, std::vector<std::string>{"child.layout"});
    j.lines.clear();
    child->setCenter({50, 50});  // a move alone does not
    root->layoutIfNeeded();
    EXPECT_TRUE(j.lines.empty());
}

TEST(LayoutTest, ConstraintsPlaceSubviewsAndFollowTheirConstants) {
    auto container = std::make_shared<View>(Rect{0, 0, 300, 100});
    auto text = std::make_shared<View>(), icon = std::make_shared<View>();
    container->addSubview(text);
    container->addSubview(icon);
    auto leading = LayoutConstraint::make(text, LayoutAttribute::leading, nullptr, 8);
    auto trailing = LayoutConstraint::make(text, LayoutAttribute::trailing, nullptr, 8);
    auto height = LayoutConstraint::make(text, LayoutAttribute::height, nullptr, 40);
    auto centerY = LayoutConstraint::make(text, LayoutAttribute::centerY, container, -10);
    auto iconW = LayoutConstraint::make(icon, LayoutAttribute::width, nullptr, 30);
    auto iconH = LayoutConstraint::make(icon, LayoutAttribute::height, nullptr, 30);
    auto iconX = LayoutConstraint::make(icon, LayoutAttribute::centerX, container, -(150 - 15) + 8);
    auto iconY = LayoutConstraint::make(icon, LayoutAttribute::centerY, container, 0);
    for (auto& c : {leading, trailing, height, centerY, iconW, iconH, iconX, iconY}) c->setActive(true);
    EXPECT_EQ(text->constraints().size(), 4u);

    container->layoutIfNeeded();
    EXPECT_EQ(text->frame(), (Rect{8, 20, 284, 40}));
    EXPECT_EQ(icon->frame(), (Rect{8, 35, 30, 30}));

    leading->setConstant(46);
    EXPECT_TRUE(container->needsLayout());
    container->layoutIfNeeded();
    EXPECT_EQ(text->frame(), (Rect{46, 20, 246, 40}));

    trailing->setActive(false);  // a single edge keeps the size
    container->setNeedsLayout();
    container->layoutIfNeeded();
    EXPECT_EQ(text->frame(), (Rect{46, 20, 246, 40}));
    EXPECT_EQ(text->constraints().size(), 3u);

    // A sibling as the related item: its frame is what counts.
    auto follower = std::make_shared<View>();
    container->addSubview(follower);
    LayoutConstraint::make(follower, LayoutAttribute::width, icon, 10)->setActive(true);
    LayoutConstraint::make(follower, LayoutAttribute::height, nullptr, 5)->setActive(true);
    LayoutConstraint::make(follower, LayoutAttribute::top, icon, 0)->setActive(true);
    LayoutConstraint::make(follower, LayoutAttribute::centerX, icon, 0)->setActive(true);
    container->layoutIfNeeded();
    EXPECT_EQ(follower->frame(), (Rect{3, 35, 40, 5}));
}

TEST(LayoutTest, TheWindowsRootViewFollowsTheWindowsSize) {
    auto window = std::make_shared<Window>(Rect{0, 0, 200, 100});
    auto root = std::make_shared<View>();
    window->setRootView(root);
    window->setFrame({0, 0, 50, 60});
    window->layoutIfNeeded();
    EXPECT_EQ(root->frame(), (Rect{0, 0, 50, 60}));
}
