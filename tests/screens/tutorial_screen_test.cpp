// The tutorial screen: pages swiped as a user does, the indicator and the close button
// that follow them, the neighbours the screen gives, and its gradient.
#include <gtest/gtest.h>

#include "core/palette.hpp"
#include "platform/foundation/log.hpp"
#include "platform/ui/gradient_layer.hpp"
#include "platform/ui/render.hpp"
#include "platform/ui/storyboard_segue.hpp"
#include "screens/tutorial_storyboard.hpp"
#include "tutorial_support.hpp"

using namespace std::chrono_literals;

namespace {

using platform::ui::PageViewController;
using platform::ui::ViewController;
using tutorialtest::TutorialTest;
using vistrel::TutorialContentViewController;
using vistrel::TutorialViewController;

// The dot of the indicator picture that is filled (its centre opaque); -1 when none or
// more than one is.
int filledDot(const std::optional<platform::graphics::Image>& image) {
    if (!image) return -1;
    int filled = -1;
    for (int dot = 0; dot < 4; ++dot) {
        const double x = (image->size().width / 2 + (dot - 1.5) * 16) * image->scale();
        const double y = image->size().height / 2 * image->scale();
        if (image->bitmap().pixel(int(x), int(y)).a > 0.9) {
            if (filled != -1) return -1;
            filled = dot;
        }
    }
    return filled;
}

std::shared_ptr<TutorialContentViewController> page(TutorialViewController& tutorial, std::intptr_t index) {
    auto made = tutorial.getContentViewControllerAtIndex(index);
    EXPECT_TRUE(made) << index;
    return made;
}

}  // namespace

TEST_F(TutorialTest, SwipesMoveThePagesTheIndicatorAndTheCloseButton) {
    auto tutorial = present();
    ASSERT_TRUE(tutorial->pageViewController());
    EXPECT_EQ(shownIndex(*tutorial), 0);
    EXPECT_EQ(filledDot(tutorial->indicatorImageView()->image()), 0);
    EXPECT_TRUE(tutorial->closeButton()->isHidden());
    struct Step {
        double dx;
        std::intptr_t shown;
        bool closeShown;
    };
    // Long swipes complete, short ones are cancelled; there is nothing before the first
    // page or after the last.
    const std::vector<Step> steps = {
        {-250, 1, false}, {-120, 1, false}, {-250, 2, false}, {-250, 3, true}, {-250, 3, true},
        {120, 3, true},   {250, 2, false},  {250, 1, false},  {250, 0, false}, {250, 0, false},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        swipeBy(steps[i].dx);
        time.advance(1s);
        SCOPED_TRACE("swipe " + std::to_string(i));
        EXPECT_EQ(shownIndex(*tutorial), steps[i].shown);
        EXPECT_EQ(filledDot(tutorial->indicatorImageView()->image()), steps[i].shown);
        EXPECT_EQ(!tutorial->closeButton()->isHidden(), steps[i].closeShown);
    }
}

TEST_F(TutorialTest, CancelledSwipeKeepsTheTargetButChangesNothingOnScreen) {
    auto tutorial = present();
    swipeBy(-120);
    EXPECT_EQ(tutorial->lastContentIndex, 1);
    EXPECT_EQ(shownIndex(*tutorial), 0);
    EXPECT_EQ(filledDot(tutorial->indicatorImageView()->image()), 0);
}

// The delegate may not hear of every transition; the page on screen decides.
TEST_F(TutorialTest, FinishedTransitionFollowsThePageShownNotOnlyThePendingOne) {
    auto tutorial = present();
    auto pager = tutorial->pageViewController();
    tutorial->willTransitionTo(*pager, {page(*tutorial, 2)});
    pager->setViewControllers({page(*tutorial, 3)}, platform::ui::PageViewControllerNavigationDirection::forward, false);
    tutorial->didFinishAnimating(*pager, true, {}, true);
    EXPECT_EQ(tutorial->lastContentIndex, 3);
    EXPECT_FALSE(tutorial->closeButton()->isHidden());
    EXPECT_EQ(filledDot(tutorial->indicatorImageView()->image()), 3);
    // A cancelled one changes nothing.
    pager->setViewControllers({page(*tutorial, 1)}, platform::ui::PageViewControllerNavigationDirection::reverse,
                              false);
    tutorial->didFinishAnimating(*pager, true, {}, false);
    EXPECT_FALSE(tutorial->closeButton()->isHidden());
}

TEST_F(TutorialTest, PendingListThatIsEmptyOrHoldsNoTutorialPageIsIgnored) {
    auto tutorial = present();
    auto pager = tutorial->pageViewController();
    tutorial->lastContentIndex = 2;
    tutorial->willTransitionTo(*pager, {});
    tutorial->willTransitionTo(*pager, {std::make_shared<ViewController>()});
    EXPECT_EQ(tutorial->lastContentIndex, 2);
}

TEST_F(TutorialTest, NeighboursRunFromTheFirstStepToTheLastWithoutWrapping) {
    auto tutorial = TutorialViewController::instance();
    PageViewController pager;
    constexpr std::intptr_t none = -100;
    struct Row {
        std::intptr_t index, before, after;
    };
    const std::vector<Row> rows = {
        {0, none, 1}, {1, 0, 2}, {2, 1, 3}, {3, 2, none}, {vistrel::kTutorialIndexNotFound, none, none},
        {-1, none, none}, {4, none, none},
    };
    auto indexOf = [](const std::shared_ptr<ViewController>& made) {
        auto content = std::dynamic_pointer_cast<TutorialContentViewController>(made);
        return content ? content->index : none;
    };
    for (const Row& row : rows) {
        TutorialContentViewController shown;
        shown.index = row.index;
        EXPECT_EQ(indexOf(tutorial->viewControllerBefore(pager, shown)), row.before) << row.index;
        EXPECT_EQ(indexOf(tutorial->viewControllerAfter(pager, shown)), row.after) << row.index;
    }
    // A page of another kind has no neighbours either.
    ViewController other;
    EXPECT_FALSE(tutorial->viewControllerAfter(pager, other));
}

TEST_F(TutorialTest, PagesCarryTheStepTextsReadWhenTheScreenWasMade) {
    platform::setPreferredLanguages(std::vector<std::string>{"fr"});
    auto tutorial = TutorialViewController::instance();
    const std::string frenchTitle = vistrel::tr("tutorial.step4.title");
    const std::string frenchText = vistrel::tr("tutorial.step4.text");
    platform::setPreferredLanguages(std::vector<std::string>{"en"});
    ASSERT_NE(vistrel::tr("tutorial.step4.title"), frenchTitle);
    ASSERT_EQ(tutorial->tutorialContents().size(), 4u);
    EXPECT_EQ(tutorial->tutorialContents()[3].title, frenchTitle);
    auto last = page(*tutorial, 3);
    EXPECT_EQ(last->contentTitle, frenchTitle);
    EXPECT_EQ(last->contentDescription, frenchText);
    EXPECT_EQ(last->storyboardIdentifier(), vistrel::kTutorialContentViewControllerIdentifier);
    EXPECT_FALSE(tutorial->getContentViewControllerAtIndex(4));
}

TEST_F(TutorialTest, EachAppearanceAddsAGradientOverTheTopArea) {
    auto tutorial = present();
    auto gradients = [&] {
        std::vector<std::shared_ptr<platform::ui::GradientLayer>> found;
        for (const auto& layer : tutorial->topView()->layer().sublayers())
            if (auto gradient = std::dynamic_pointer_cast<platform::ui::GradientLayer>(layer)) found.push_back(gradient);
        return found;
    };
    ASSERT_EQ(gradients().size(), 1u);
    EXPECT_EQ(gradients()[0]->frame(), tutorial->topView()->bounds());
    EXPECT_EQ(gradients()[0]->colors(),
              (std::vector<platform::graphics::Color>{vistrel::vistrelBackgroundTop(), vistrel::vistrelBackgroundBottom()}));
    // Covered by a full-screen screen and shown again: one more, on top.
    tutorial->present(std::make_shared<ViewController>(), false);
    tutorial->dismiss(false);
    time.advance(1s);
    ASSERT_EQ(gradients().size(), 2u);
    EXPECT_EQ(tutorial->topView()->layer().sublayers().back(), gradients()[1]);
}

TEST_F(TutorialTest, SeguesOfOtherNamesAreIgnored) {
    auto tutorial = TutorialViewController::instance();
    for (std::optional<std::string> name : {std::optional<std::string>("other"), std::optional<std::string>()}) {
        auto pager = std::make_shared<PageViewController>();
        platform::ui::StoryboardSegue segue(name, tutorial, pager);
        tutorial->prepareForSegue(segue, {});
        EXPECT_FALSE(pager->dataSource());
        EXPECT_TRUE(pager->viewControllers().empty());
    }
}

TEST_F(TutorialTest, TheCloseButtonOnTheLastPageClosesTheTutorial) {
    auto tutorial = present();
    for (int i = 0; i < 3; ++i) swipeBy(-250);
    auto close = tutorial->closeButton();
    ASSERT_FALSE(close->isHidden());
    const auto frame = close->convertRect(close->bounds(), nullptr);
    platform::ui::tap(window, {frame.midX(), frame.midY()});
    time.advance(1s);
    EXPECT_FALSE(root->presentedViewController());
    // Nothing holds the screen or its pages once it has closed.
    std::weak_ptr<TutorialViewController> released = tutorial;
    std::weak_ptr<PageViewController> pages = tutorial->pageViewController();
    tutorial.reset();
    close.reset();
    EXPECT_TRUE(released.expired());
    EXPECT_TRUE(pages.expired());
}

TEST_F(TutorialTest, DrawsTheGradientAndTheCloseButtonOnThePrimaryColour) {
    auto tutorial = present();
    for (int i = 0; i < 3; ++i) swipeBy(-250);
    time.advance(1s);
    auto bitmap = platform::ui::render(*window, 1);
    ASSERT_TRUE(bitmap);
    EXPECT_TRUE(bitmap->pixel(4, 2).isClose(vistrel::vistrelBackgroundTop(), 0.03));
    const auto frame = tutorial->closeButton()->convertRect(tutorial->closeButton()->bounds(), nullptr);
    EXPECT_TRUE(bitmap->pixel(int(frame.minX() + 4), int(frame.midY())).isClose(vistrel::vistrelPrimary(), 0.03));
}
