#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/log.hpp"
#include "platform/ui/view.hpp"
#include "platform/ui/window.hpp"

using namespace platform::ui;

namespace {

// Records the move callbacks it receives, tagged with its name.
class RecordingView : public View {
public:
    RecordingView(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}
    void willMoveToSuperview(View* s) override { log_.push_back(name_ + (s ? ".willMoveTo(super)" : ".willMoveTo(none)")); }
    void didMoveToSuperview() override { log_.push_back(name_ + ".didMoveToSuperview"); }
    void willMoveToWindow(Window* w) override { log_.push_back(name_ + (w ? ".willMoveToWindow" : ".willLeaveWindow")); }
    void didMoveToWindow() override { log_.push_back(name_ + ".didMoveToWindow"); }
    void didAddSubview(View&) override { log_.push_back(name_ + ".didAddSubview"); }
    void willRemoveSubview(View&) override { log_.push_back(name_ + ".willRemoveSubview"); }

private:
    std::string name_;
    std::vector<std::string>& log_;
};

// The tags of the subviews, in order; their layers must be the parent layer's sublayers
// in the same order.
std::vector<int> order(const View& v) {
    std::vector<int> subviews, layers;
    for (auto& s : v.subviews()) subviews.push_back(s->tag());
    for (auto& l : v.layer().sublayers()) layers.push_back(l->view() ? l->view()->tag() : -1);
    EXPECT_EQ(layers, subviews);
    return subviews;
}

using Tags = std::vector<int>;

}  // namespace

TEST(ViewTreeTest, AddInsertAboveBelowAndAtIndexAndBringToFront) {
    auto parent = std::make_shared<View>();
    std::shared_ptr<View> a, b, c, d;
    int tag = 0;
    for (auto* v : {&a, &b, &c, &d}) (*v = std::make_shared<View>())->setTag(++tag);
    parent->addSubview(a);
    parent->addSubview(b);
    parent->addSubview(a);  // re-adding moves to the front
    EXPECT_EQ(order(*parent), (Tags{2, 1}));
    EXPECT_EQ(a->superview(), parent);
    parent->addSubview(b);
    parent->insertSubviewBelow(c, a.get());
    parent->insertSubviewAbove(d, c.get());
    EXPECT_EQ(order(*parent), (Tags{3, 4, 1, 2}));
    parent->insertSubviewAbove(c, b.get());  // a subview moving above a later sibling
    EXPECT_EQ(order(*parent), (Tags{4, 1, 2, 3}));
    parent->insertSubview(b, 0);
    parent->bringSubviewToFront(d.get());
    EXPECT_EQ(order(*parent), (Tags{2, 1, 3, 4}));
    parent->insertSubview(std::make_shared<View>(), 99);  // an index past the end appends
    EXPECT_EQ(order(*parent), (Tags{2, 1, 3, 4, 0}));
}

TEST(ViewTreeTest, ANewParentTakesTheViewFromTheOldWithCallbacksInOrder) {
    std::vector<std::string> log;
    auto window = std::make_shared<Window>(Rect{0, 0, 100, 100});
    auto oldParent = std::make_shared<RecordingView>("old", log);
    auto newParent = std::make_shared<RecordingView>("new", log);
    auto child = std::make_shared<RecordingView>("child", log);
    auto grandchild = std::make_shared<RecordingView>("grandchild", log);
    child->addSubview(grandchild);
    oldParent->addSubview(child);
    window->addSubview(newParent);
    log.clear();

    newParent->addSubview(child);
    EXPECT_TRUE(oldParent->subviews().empty());
    EXPECT_EQ(child->superview(), newParent);
    EXPECT_EQ(std::tuple(child->window(), grandchild->window()), std::tuple(window, window));
    EXPECT_EQ(log, (std::vector<std::string>{"old.willRemoveSubview", "child.willMoveTo(super)",
                                             "child.willMoveToWindow", "grandchild.willMoveToWindow",
                                             "child.didMoveToWindow", "grandchild.didMoveToWindow",
                                             "child.didMoveToSuperview", "new.didAddSubview"}));

    log.clear();
    newParent->addSubview(child);  // already there: only a reorder
    EXPECT_TRUE(log.empty());

    child->removeFromSuperview();
    EXPECT_EQ(log, (std::vector<std::string>{"new.willRemoveSubview", "child.willMoveTo(none)",
                                             "child.willLeaveWindow", "grandchild.willLeaveWindow",
                                             "child.didMoveToWindow", "grandchild.didMoveToWindow",
                                             "child.didMoveToSuperview"}));
    EXPECT_EQ(child->window(), nullptr);
    EXPECT_EQ(child->layer().superlayer(), nullptr);
}

TEST(ViewTreeTest, CyclesAreRefused) {
    platform::LogCapture capture;
    auto a = std::make_shared<View>(), b = std::make_shared<View>();
    a->addSubview(b);
    b->addSubview(a);
    a->addSubview(a);
    EXPECT_EQ(a->superview(), nullptr);
    EXPECT_TRUE(b->subviews().empty());
}

TEST(ViewTreeTest, TheSuperviewLinkHoldsFromAConstructorAndEndsWithTheParent) {
    struct Composite : View {
        std::shared_ptr<View> inner = std::make_shared<View>();
        Composite() { addSubview(inner); }
    };
    auto composite = std::make_shared<Composite>();
    EXPECT_EQ(composite->inner->superview(), composite);  // once the composite is shared

    auto child = std::make_shared<View>();
    std::make_shared<View>()->addSubview(child);  // a parent that is gone at once
    EXPECT_EQ(child->superview(), nullptr);
    EXPECT_EQ(child->layer().superlayer(), nullptr);
}
