#include "platform/ui/scroll_view.hpp"

#include <gtest/gtest.h>

#include "platform/ui/touch_delivery.hpp"
#include "ui_test_support.hpp"

using namespace platform::ui;
using uitest::Lines;

namespace {

class Listener : public ScrollViewDelegate, public KeyValueObserver {
public:
    Lines calls;
    void scrollViewDidScroll(ScrollView& s) override { calls.push_back("scroll " + text(s.contentOffset())); }
    void scrollViewWillBeginDragging(ScrollView&) override { calls.push_back("begin"); }
    void scrollViewDidEndDragging(ScrollView&) override { calls.push_back("end drag"); }
    void scrollViewDidEndDecelerating(ScrollView& s) override { calls.push_back("rest " + text(s.contentOffset())); }
    void observeValue(const std::string& key, View&, const KeyValueChange& change) override {
        calls.push_back(key + " " + text(std::get<Point>(change.newValue)));
    }
    static std::string text(Point p) { return std::to_string(int(p.x)) + "," + std::to_string(int(p.y)); }
};

}  // namespace

TEST(ScrollViewTest, OffsetIsTheBoundsOriginAndObserversHearEachChange) {
    auto parent = std::make_shared<View>(Rect{0, 0, 100, 200});
    auto scroll = std::make_shared<ScrollView>(Rect{0, 0, 100, 200});
    parent->addSubview(scroll);
    auto listener = std::make_shared<Listener>();
    scroll->setDelegate(listener);
    scroll->addObserver(listener, "contentOffset");
    auto child = std::make_shared<View>(Rect{0, 300, 10, 10});
    scroll->addSubview(child);

    scroll->setContentOffset({0, 250});
    scroll->setContentOffset({0, 250});
    EXPECT_EQ(scroll->bounds(), (Rect{0, 250, 100, 200}));
    EXPECT_EQ(child->convertPoint({}, scroll->superview().get()), (Point{0, 50}));
    EXPECT_EQ(listener->calls, (Lines{"contentOffset 0,250", "scroll 0,250"}));
}

TEST(ScrollViewTest, ReleaseSettlesInRangeOrOnThePage) {
    struct Case {
        bool paging;
        Size drag;
        Point rest;
    };
    // Content 300 x 1000 in a 100 x 200 view, with a top inset of 20 unless paging.
    const Case cases[] = {
        {false, {0, -130}, {0, 110}},    // up by 130 from -20: stays
        {false, {0, 100}, {0, -20}},     // past the top: back to the inset
        {false, {0, -5000}, {0, 800}},   // past the end
        {true, {-140, -30}, {100, 0}},  // more than half a page: next page
        {true, {-40, 0}, {0, 0}},       // less than half: back
        {true, {-1000, 0}, {200, 0}},   // never past the last page
    };
    for (const Case& c : cases) {
        auto scroll = std::make_shared<ScrollView>(Rect{0, 0, 100, 200});
        scroll->setContentSize({300, 1000});
        scroll->setContentInset({c.paging ? 0.0 : 20.0, 0, 0, 0});
        scroll->setPagingEnabled(c.paging);
        auto listener = std::make_shared<Listener>();
        scroll->setDelegate(listener);
        scroll->dragBy({c.drag.width / 2, c.drag.height / 2});
        scroll->dragBy({c.drag.width / 2, c.drag.height / 2});
        scroll->endDragging();
        EXPECT_EQ(scroll->contentOffset(), c.rest) << c.drag.width << "," << c.drag.height;
        ASSERT_GE(listener->calls.size(), 4u);
        EXPECT_EQ(listener->calls.front(), "begin");
        EXPECT_EQ(listener->calls.back(), "rest " + Listener::text(c.rest));
    }
}

TEST(ScrollViewTest, SidewaysSwipeOnAListTurnsThePageOfTheEnclosingView) {
    auto window = std::make_shared<Window>(Rect{0, 0, 300, 400});
    auto pager = std::make_shared<ScrollView>(window->bounds());
    pager->setPagingEnabled(true);
    pager->setContentSize({900, 400});
    auto list = std::make_shared<ScrollView>(Rect{300, 0, 300, 400});
    list->setContentSize({300, 2000});
    pager->addSubview(list);
    window->addSubview(pager);
    window->makeKeyAndVisible();
    pager->setContentOffset({300, 0});

    // Up and down moves the list only; sideways, the list cannot move, so the pager does.
    swipe(window, {150, 300}, {150, 100});
    EXPECT_EQ(list->contentOffset(), (Point{0, 200}));
    EXPECT_EQ(pager->contentOffset(), (Point{300, 0}));
    swipe(window, {250, 200}, {50, 210});
    EXPECT_EQ(pager->contentOffset(), (Point{600, 0}));
    EXPECT_EQ(list->contentOffset(), (Point{0, 200}));
}
