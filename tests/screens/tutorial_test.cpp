// The tutorial as the camera screen's menu shows it: pages swiped as a user does, the
// indicator and the close button that follow them, the neighbours the screen gives, its
// pages and gradient; and the pictures drawn at build time (the bundle's images and the
// sample page photo that the kit's QR search reads).
#include <atomic>

#include "screen_fixture.hpp"
#include "vistrel/core/palette.hpp"
#include "vistrel/platform/ui/image_named.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/screens/tutorial/tutorial_view_controller.hpp"
#include "vistrel/service/picture_scanner.hpp"

namespace {

using namespace screentest;
using ui::PageViewController;
using ui::ViewController;
using vistrel::TutorialContentViewController;
using vistrel::TutorialViewController;

// The dot of the indicator picture that is filled (its centre opaque); -1 when none or
// more than one is.
int filledDot(const std::optional<platform::graphics::Image>& image) {
    if (!image) return -1;
    int filled = -1;
    for (int dot = 0; dot < 4; ++dot) {
        const double x = (image->size().width / 2 + (dot - 1.5) * 16) * image->scale();
        if (image->bitmap().pixel(int(x), int(image->size().height / 2 * image->scale())).a > 0.9) {
            if (filled != -1) return -1;
            filled = dot;
        }
    }
    return filled;
}

struct TutorialTest : ScreenTest {
    // The tutorial presented from the root screen, its presentation finished.
    std::shared_ptr<TutorialViewController> present() {
        auto tutorial = TutorialViewController::instance();
        navigation->present(tutorial, true);
        time.advance(1s);
        return tutorial;
    }
    // A finger across the middle of the pages by `dx` points (negative: to the next page).
    void swipeBy(double dx) { ui::swipe(window, {187 - dx / 2, 300}, {187 + dx / 2, 300}); }
    // The page shown, the indicator's dot and whether the close button shows.
    static std::tuple<std::intptr_t, int, bool> shown(const TutorialViewController& tutorial) {
        auto pager = tutorial.pageViewController();
        auto page = pager && !pager->viewControllers().empty()
                        ? std::dynamic_pointer_cast<TutorialContentViewController>(pager->viewControllers().front())
                        : nullptr;
        return {page ? page->index : -1, filledDot(tutorial.indicatorImageView()->image()), !tutorial.closeButton()->isHidden()};
    }
};

TEST_F(TutorialTest, SwipesMoveThePagesTheIndicatorAndTheCloseButton) {
    auto tutorial = present();
    EXPECT_EQ(shown(*tutorial), std::tuple(0, 0, false));
    // Long swipes complete, short ones are cancelled; there is nothing before the first
    // page or after the last.
    const std::vector<std::pair<double, std::intptr_t>> steps = {{-250, 1}, {-120, 1}, {-250, 2}, {-250, 3}, {-250, 3},
                                                                 {120, 3},  {250, 2},  {250, 1},  {250, 0},  {250, 0}};
    for (std::size_t i = 0; i < steps.size(); ++i) {
        swipeBy(steps[i].first);
        time.advance(1s);
        const auto index = steps[i].second;
        EXPECT_EQ(shown(*tutorial), std::tuple(index, int(index), index == 3)) << "swipe " << i;
    }
    swipeBy(-120);  // cancelled before it ends: the target is kept, nothing changes on screen
    EXPECT_EQ(tutorial->lastContentIndex, 1);
    EXPECT_EQ(shown(*tutorial), std::tuple(0, 0, false));
}

// The delegate may not hear of every transition; the page on screen decides.
TEST_F(TutorialTest, FinishedTransitionFollowsThePageShownAndEmptyPendingListsAreIgnored) {
    auto tutorial = present();
    auto pager = tutorial->pageViewController();
    tutorial->willTransitionTo(*pager, {tutorial->getContentViewControllerAtIndex(2)});
    pager->setViewControllers({tutorial->getContentViewControllerAtIndex(3)}, ui::PageViewControllerNavigationDirection::forward, false);
    tutorial->didFinishAnimating(*pager, true, {}, true);
    EXPECT_EQ(tutorial->lastContentIndex, 3);
    EXPECT_EQ(shown(*tutorial), std::tuple(3, 3, true));
    // A cancelled one changes nothing, nor does a pending list without a tutorial page.
    pager->setViewControllers({tutorial->getContentViewControllerAtIndex(1)}, ui::PageViewControllerNavigationDirection::reverse, false);
    tutorial->didFinishAnimating(*pager, true, {}, false);
    EXPECT_FALSE(tutorial->closeButton()->isHidden());
    tutorial->willTransitionTo(*pager, {});
    tutorial->willTransitionTo(*pager, {std::make_shared<ViewController>()});
    EXPECT_EQ(tutorial->lastContentIndex, 3);
}

TEST_F(TutorialTest, NeighboursRunFromTheFirstStepToTheLastWithoutWrapping) {
    auto tutorial = TutorialViewController::instance();
    PageViewController pager;
    constexpr std::intptr_t none = -100;
    auto indexOf = [](const std::shared_ptr<ViewController>& made) {
        auto content = std::dynamic_pointer_cast<TutorialContentViewController>(made);
        return content ? content->index : none;
    };
    const std::vector<std::tuple<std::intptr_t, std::intptr_t, std::intptr_t>> rows = {
        {0, none, 1}, {1, 0, 2}, {2, 1, 3}, {3, 2, none}, {vistrel::kTutorialIndexNotFound, none, none}, {-1, none, none}, {4, none, none}};
    for (const auto& [index, before, after] : rows) {
        TutorialContentViewController shownPage;
        shownPage.index = index;
        EXPECT_EQ(std::pair(indexOf(tutorial->viewControllerBefore(pager, shownPage)),
                            indexOf(tutorial->viewControllerAfter(pager, shownPage))),
                  std::pair(before, after))
            << index;
    }
    ViewController other;  // a page of another kind has no neighbours either
    EXPECT_FALSE(tutorial->viewControllerAfter(pager, other));
}

TEST_F(TutorialTest, EachPageShowsOnlyTheIllustrationOfItsPosition) {
    auto tutorial = TutorialViewController::instance();
    for (const std::intptr_t index : std::vector<std::intptr_t>{0, 1, 2, 3, 4, -1, vistrel::kTutorialIndexNotFound}) {
        auto page = tutorial->getContentViewControllerAtIndex(0);
        page->index = index;
        page->loadViewIfNeeded();
        std::vector<bool> expected(4, false);
        if (index >= 0 && index < 4) expected[std::size_t(index)] = true;
        EXPECT_EQ((std::vector<bool>{!page->tutorialSlide0()->isHidden(), !page->tutorialSlide11()->isHidden(),
                                     !page->tutorialSlide2()->isHidden(), !page->tutorialSlide3()->isHidden()}),
                  expected)
            << index;
    }
}

// Drawn on the last page: the gradient and the close button on the primary colour; the
// button closes the tutorial and nothing holds it or its pages afterwards.
TEST_F(TutorialTest, TheCloseButtonOnTheLastPageIsDrawnAndClosesTheTutorial) {
    auto tutorial = present();
    for (int i = 0; i < 3; ++i) swipeBy(-250);
    time.advance(1s);
    auto close = tutorial->closeButton();
    ASSERT_FALSE(close->isHidden());
    const auto frame = close->convertRect(close->bounds(), nullptr);
    auto bitmap = ui::render(*window, 1);
    ASSERT_TRUE(bitmap);
    EXPECT_TRUE(bitmap->pixel(4, 2).isClose(vistrel::vistrelBackgroundTop(), 0.03));
    EXPECT_TRUE(bitmap->pixel(int(frame.minX() + 4), int(frame.midY())).isClose(vistrel::vistrelPrimary(), 0.03));
    ui::tap(window, {frame.midX(), frame.midY()});
    time.advance(1s);
    EXPECT_FALSE(navigation->presentedViewController());
    std::weak_ptr<TutorialViewController> released = tutorial;
    std::weak_ptr<PageViewController> pages = tutorial->pageViewController();
    tutorial.reset();
    close.reset();
    EXPECT_TRUE(released.expired() && pages.expired());
}

TEST_F(TutorialTest, TheBuildBundleHoldsTheDrawnImagesWhiteOnClear) {
    auto bundle = vistrel::vistrelBundle();
    ASSERT_TRUE(bundle);
    std::vector<std::pair<std::string, platform::graphics::Size>> rows = {{"question_mark", {24, 24}}, {"info", {24, 24}}};
    for (int k = 0; k < 4; ++k) rows.emplace_back(std::string("tuto_page_indicator_").append(std::to_string(k)), platform::graphics::Size{72, 18});
    for (auto name : vistrel::kTutorialSlideImageNames) rows.emplace_back(std::string(name), platform::graphics::Size{240, 240});
    for (const auto& [name, points] : rows) {
        auto image = ui::imageNamed(name, bundle.get());
        ASSERT_TRUE(image) << name;
        bool white = false, clear = false;
        const auto& bitmap = image->bitmap();
        for (int y = 0; y < bitmap.height(); ++y)
            for (int x = 0; x < bitmap.width(); ++x) {
                white = white || bitmap.pixel(x, y).isClose(Color::white(), 0.01);
                clear = clear || bitmap.pixel(x, y).a == 0;
            }
        EXPECT_EQ(std::tuple(image->scale(), image->size(), white, clear), std::tuple(2.0, points, true, true)) << name;
    }
}

TEST(TutorialArtworkTest, TheKitFindsTheCodeOnTheSamplePage) {
    auto photo = platform::graphics::Image::fromFile(VISTREL_SAMPLE_PAGE);
    ASSERT_TRUE(photo);
    EXPECT_GE(photo->pixelWidth(), 800);
    vistrel::PictureScanner scanner;
    std::optional<std::string> payload;
    scanner.searchRawBarCode(*photo, [&](auto features, auto) {
        if (features && features->size() == 1) payload = features->front().messageString;
    });
    ASSERT_TRUE(payload);
    EXPECT_EQ(payload->rfind("https://", 0), 0u) << *payload;
    // The scan's QR job makes an image of one action from it.
    std::atomic<bool> done = false;
    std::optional<vistrel::Image> image;
    scanner.searchBarCode(*photo, [&](std::optional<vistrel::Image> found, auto) {
        image = std::move(found);
        done = true;
    });
    ASSERT_TRUE(RunLoop::runUntil([&] { return done.load(); }, 2min));
    ASSERT_TRUE(image && image->actions);
    EXPECT_EQ(image->actions->size(), 1u);
}

}  // namespace
