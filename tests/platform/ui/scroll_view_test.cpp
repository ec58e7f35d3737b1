#include "vistrel/platform/ui/scroll_view.hpp"

#include <gtest/gtest.h>

#include "ui_test_support.hpp"

using namespace platform::ui;
using uitest::Lines;

namespace {

class Listener : public ScrollViewDelegate {
public:
    Lines calls;
    void scrollViewWillBeginDragging(ScrollView&) override { calls.push_back("begin"); }
    void scrollViewDidEndDecelerating(ScrollView& s) override { calls.push_back("rest " + text(s.contentOffset())); }
    static std::string text(Point p) { return std::to_string(int(p.x)) + "," + std::to_string(int(p.y)); }
};

}  // namespace

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
        EXPECT_EQ(listener->calls, (Lines{"begin", "rest " + Listener::text(c.rest)}));
    }
}
