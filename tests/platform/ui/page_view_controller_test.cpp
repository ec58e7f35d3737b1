#include "vistrel/platform/ui/page_view_controller.hpp"

#include <gtest/gtest.h>

#include "ui_test_support.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/touch_delivery.hpp"

using namespace platform::ui;
using uitest::Lines;

namespace {

// Numbered pages 0 to 3 that note their appearance calls in a shared journal.
class Page : public ViewController {
public:
    Page(int index, Lines& journal) : index(index), journal_(journal) {}
    int index;
    void viewWillAppear(bool) override { note("will appear"); }
    void viewDidAppear(bool) override { note("did appear"); }
    void viewWillDisappear(bool) override { note("will disappear"); }
    void viewDidDisappear(bool) override { note("did disappear"); }

private:
    void note(const char* what) { journal_.push_back(std::to_string(index) + " " + what); }
    Lines& journal_;
};

class Pages : public PageViewControllerDataSource, public PageViewControllerDelegate {
public:
    Lines journal;
    // Each page is filled with a colour of its own.
    static Color colour(int index) { return Color::rgba(index / 3.0, 0.5, 1 - index / 3.0, 1); }
    std::shared_ptr<Page> make(int index) {
        auto page = std::make_shared<Page>(index, journal);
        page->view()->setBackgroundColor(colour(index));
        return page;
    }
    static int indexOf(const ViewController& c) { return static_cast<const Page&>(c).index; }

    std::shared_ptr<ViewController> viewControllerBefore(PageViewController&, ViewController& c) override {
        return indexOf(c) > 0 ? make(indexOf(c) - 1) : nullptr;
    }
    std::shared_ptr<ViewController> viewControllerAfter(PageViewController&, ViewController& c) override {
        return indexOf(c) < 3 ? make(indexOf(c) + 1) : nullptr;
    }
    void willTransitionTo(PageViewController&, const std::vector<std::shared_ptr<ViewController>>& pending) override {
        journal.push_back("will transition to " + std::to_string(indexOf(*pending.at(0))));
    }
    void didFinishAnimating(PageViewController&, bool finished, const std::vector<std::shared_ptr<ViewController>>& previous,
                            bool completed) override {
        journal.push_back(std::string("finished ") + (finished ? "yes" : "no") + ", previous " +
                          std::to_string(indexOf(*previous.at(0))) + ", " + (completed ? "completed" : "cancelled"));
    }
};

class PageViewControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        pager->setDataSource(pages);
        pager->setDelegate(pages);
        pager->setViewControllers({pages->make(0)}, PageViewControllerNavigationDirection::forward, false);
        window->setRootViewController(pager);
        window->makeKeyAndVisible();
        pages->journal.clear();
    }
    void TearDown() override { uitest::drain(); }

    int shown() const { return Pages::indexOf(*pager->viewControllers().at(0)); }
    // A finger across the middle of the screen by `dx` points.
    void swipeBy(double dx) { swipe(window, {187 - dx / 2, 300}, {187 + dx / 2, 300}); }

    std::shared_ptr<Pages> pages = std::make_shared<Pages>();
    std::shared_ptr<PageViewController> pager = std::make_shared<PageViewController>();
    std::shared_ptr<Window> window = std::make_shared<Window>(Rect{0, 0, 375, 667});
};

}  // namespace

TEST_F(PageViewControllerTest, AShortSwipeIsCancelledALongOneShowsTheNextPageAndTheDelegateHearsBoth) {
    swipeBy(-120);
    EXPECT_EQ(pages->journal, (Lines{"will transition to 1", "1 will appear", "0 will disappear", "1 will disappear",
                                     "0 will appear", "1 did disappear", "0 did appear",
                                     "finished yes, previous 0, cancelled"}));
    EXPECT_EQ(std::pair(shown(), pager->scrollView().contentOffset()), std::pair(0, Point{375, 0}));

    pages->journal.clear();
    swipeBy(-250);
    EXPECT_EQ(pages->journal, (Lines{"will transition to 1", "1 will appear", "0 will disappear", "1 did appear",
                                     "0 did disappear", "finished yes, previous 0, completed"}));
    EXPECT_EQ(shown(), 1);
    EXPECT_EQ(pager->children(), pager->viewControllers());
}

TEST_F(PageViewControllerTest, WhileDraggedBothPagesShowSplitWhereTheFingerIs) {
    pager->scrollView().dragBy({-50, 0});
    auto bitmap = render(*window, 1);
    ASSERT_TRUE(bitmap);
    EXPECT_TRUE(bitmap->pixel(300, 300).isClose(Pages::colour(0), 0.02));
    EXPECT_TRUE(bitmap->pixel(360, 300).isClose(Pages::colour(1), 0.02));
}

TEST_F(PageViewControllerTest, SetViewControllersReplacesThePageAndRefusesAnEmptyList) {
    auto last = pages->make(3);
    pager->setViewControllers({last}, PageViewControllerNavigationDirection::forward, false);
    EXPECT_EQ(pages->journal, (Lines{"0 will disappear", "3 will appear", "0 did disappear", "3 did appear"}));
    // Past the last page there is nothing: the view springs back and no one is told.
    pages->journal.clear();
    swipeBy(-300);
    EXPECT_TRUE(pages->journal.empty());
    EXPECT_EQ(pager->scrollView().contentOffset(), (Point{375, 0}));
    pager->setViewControllers({}, PageViewControllerNavigationDirection::reverse, false);
    EXPECT_EQ(shown(), 3);
}
