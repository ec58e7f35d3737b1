#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/view.hpp"
#include "vistrel/platform/ui/window.hpp"

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

void expectRect(const Rect& actual, const Rect& expected) {
    EXPECT_NEAR(actual.minX(), expected.minX(), 1e-9);
    EXPECT_NEAR(actual.minY(), expected.minY(), 1e-9);
    EXPECT_NEAR(actual.width(), expected.width(), 1e-9);
    EXPECT_NEAR(actual.height(), expected.height(), 1e-9);
}

void expectPoint(Point actual, Point expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-9);
    EXPECT_NEAR(actual.y, expected.y, 1e-9);
}

class Observer : public KeyValueObserver {
public:
    struct Call {
        std::string keyPath;
        Rect oldValue, newValue, frameSeen;
        bool operator==(const Call&) const = default;
        friend std::ostream& operator<<(std::ostream& out, const Call& c) { return out << c.keyPath << " " << c.newValue.width(); }
    };
    std::vector<Call> calls;
    void observeValue(const std::string& keyPath, View& object, const KeyValueChange& change) override {
        calls.push_back({keyPath, std::get<Rect>(change.oldValue), std::get<Rect>(change.newValue), object.frame()});
    }
};

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

TEST(ViewTreeTest, TheSuperviewLinkHoldsFromAConstructorEndsWithTheParentAndMakesNoCycle) {
    struct Composite : View {
        std::shared_ptr<View> inner = std::make_shared<View>();
        Composite() { addSubview(inner); }
    };
    auto composite = std::make_shared<Composite>();
    EXPECT_EQ(composite->inner->superview(), composite);  // once the composite is shared

    auto child = std::make_shared<View>();
    std::make_shared<View>()->addSubview(child);  // a parent that is gone at once
    EXPECT_TRUE(!child->superview() && !child->layer().superlayer());

    // Cycles are refused.
    platform::LogCapture capture;
    composite->inner->addSubview(composite);
    composite->addSubview(composite);
    EXPECT_EQ(composite->superview(), nullptr);
    EXPECT_TRUE(composite->inner->subviews().empty());
}

TEST(ViewGeometryTest, SettingAFrameUnderATransformSetsCentreAndBoundsAndKeepsIt) {
    View v(Rect{0, 0, 10, 10});
    v.setTransform(AffineTransform::scale(2, 4));
    v.setFrame({100, 100, 40, 40});
    expectPoint(v.center(), {120, 120});
    expectRect(v.bounds(), {0, 0, 20, 10});
    expectRect(v.frame(), {100, 100, 40, 40});
    EXPECT_EQ(v.transform(), AffineTransform::scale(2, 4));

    v.setTransform(AffineTransform::rotation(std::numbers::pi / 2));
    v.setFrame({0, 0, 30, 60});
    expectRect(v.bounds(), {0, 0, 60, 30});
    expectRect(v.frame(), {0, 0, 30, 60});

    // A flat transform cannot say what bounds would fill the frame: the size stays.
    v.setTransform(AffineTransform::scale(0, 1));
    v.setFrame({0, 0, 8, 8});
    expectRect(v.bounds(), {0, 0, 60, 30});
    expectPoint(v.center(), {4, 4});
}

TEST(ViewGeometryTest, PointsAndRectsConvertThroughTransformsAndWindows) {
    auto window = std::make_shared<Window>(Rect{0, 0, 300, 300});
    auto outer = std::make_shared<View>(Rect{100, 100, 100, 100});
    auto inner = std::make_shared<View>(Rect{10, 10, 20, 20});
    window->addSubview(outer);
    outer->addSubview(inner);
    outer->setTransform(AffineTransform::scale(2, 2));  // outer now spans 50...250

    expectPoint(inner->convertPoint({0, 0}, nullptr), {70, 70});
    expectPoint(inner->convertPointFrom({70, 70}, nullptr), {0, 0});
    expectRect(inner->convertRect(inner->bounds(), window.get()), {70, 70, 40, 40});

    // A sibling tree: conversion goes through the common ancestor.
    auto other = std::make_shared<View>(Rect{0, 200, 50, 50});
    window->addSubview(other);
    expectPoint(inner->convertPoint({0, 0}, other.get()), {70, -130});

    // A scroll-like bounds origin shifts what lies under a point.
    outer->setBounds({0, 50, 100, 100});
    expectPoint(inner->convertPoint({0, 0}, nullptr), {70, -30});

    // Into a flattened view, a point has no number.
    inner->setTransform(AffineTransform::scale(0, 0));
    const Point p = outer->convertPoint({5, 5}, inner.get());
    EXPECT_TRUE(std::isnan(p.x) && std::isnan(p.y));
}

TEST(ObservationTest, FrameAndBoundsObserversAreToldAfterTheChange) {
    View view(Rect{0, 0, 10, 10});
    auto observer = std::make_shared<Observer>();
    view.addObserver(observer, "frame");
    view.addObserver(observer, "bounds");

    using Calls = std::vector<Observer::Call>;
    view.setFrame({5, 5, 20, 20});
    // The frame each observer saw had already changed.
    EXPECT_EQ(observer->calls, (Calls{{"frame", {0, 0, 10, 10}, {5, 5, 20, 20}, {5, 5, 20, 20}},
                                      {"bounds", {0, 0, 10, 10}, {0, 0, 20, 20}, {5, 5, 20, 20}}}));

    observer->calls.clear();
    view.setFrame(view.frame());  // no change, no call
    view.setTransform(AffineTransform::scale(2, 2));  // the frame changes, the bounds do not
    EXPECT_EQ(observer->calls, (Calls{{"frame", {5, 5, 20, 20}, {-5, -5, 40, 40}, {-5, -5, 40, 40}}}));
    view.layer().setBounds({0, 0, 1, 1});  // through the layer: the same properties
    EXPECT_EQ(observer->calls.back().keyPath, "bounds");
}

TEST(ObservationTest, ObserversAreHeldWeaklyCountedPerRegistrationAndRemovedOnlyWhereAdded) {
    View view(Rect{0, 0, 10, 10});
    auto observer = std::make_shared<Observer>();
    view.addObserver(observer, "frame");
    view.addObserver(observer, "frame");
    view.setCenter({1, 1});
    EXPECT_EQ(std::tuple(observer->calls.size(), view.observationCount("frame")), std::tuple(2, 2));
    {
        platform::LogCapture capture;
        EXPECT_FALSE(view.removeObserver(observer.get(), "bounds"));
        EXPECT_FALSE(view.removeObserver(nullptr, "frame"));
    }
    EXPECT_TRUE(view.removeObserver(observer.get(), "frame"));
    EXPECT_EQ(view.observationCount("frame"), 1u);

    std::weak_ptr<Observer> weak = observer;
    observer.reset();
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(view.observationCount("frame"), 0u);
    view.setCenter({2, 2});  // the gone observer is skipped
}

TEST(ObservationTest, AnObserverMayChangeTheViewItObserves) {
    // An observer that puts the frame back keeps the view stable, without recursion.
    struct Pinner : KeyValueObserver {
        int calls = 0;
        void observeValue(const std::string&, View& object, const KeyValueChange&) override {
            ++calls;
            object.setFrame({0, 0, 10, 10});
        }
    };
    auto view = std::make_shared<View>(Rect{0, 0, 10, 10});
    auto pinner = std::make_shared<Pinner>();
    view->addObserver(pinner, "frame");
    view->setFrame({1, 1, 10, 10});
    EXPECT_EQ(std::tuple(view->frame(), pinner->calls), std::tuple(Rect{0, 0, 10, 10}, 2));
}
