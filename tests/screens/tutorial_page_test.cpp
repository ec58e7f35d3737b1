// A page of the tutorial: the illustration of its own position, its texts read once.
#include <gtest/gtest.h>

#include "platform/ui/image_named.hpp"
#include "platform/ui/storyboard.hpp"
#include "screens/tutorial_storyboard.hpp"
#include "tutorial_support.hpp"

namespace {

using tutorialtest::TutorialTest;
using vistrel::TutorialContentViewController;

std::shared_ptr<TutorialContentViewController> makePage(std::intptr_t index, std::string title = {},
                                                        std::string text = {}) {
    auto page = std::dynamic_pointer_cast<TutorialContentViewController>(
        vistrel::tutorialStoryboard()->instantiateViewController(vistrel::kTutorialContentViewControllerIdentifier));
    EXPECT_TRUE(page);
    page->index = index;
    page->contentTitle = std::move(title);
    page->contentDescription = std::move(text);
    page->loadViewIfNeeded();
    return page;
}

}  // namespace

TEST_F(TutorialTest, EachPageShowsOnlyTheIllustrationOfItsPosition) {
    constexpr int none = -1;
    const std::vector<std::pair<std::intptr_t, int>> rows = {
        {0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, none}, {-1, none}, {vistrel::kTutorialIndexNotFound, none}};
    auto bundle = vistrel::vistrelBundle();
    for (const auto& [index, visible] : rows) {
        auto page = makePage(index);
        const std::vector<std::shared_ptr<platform::ui::ImageView>> slides = {
            page->tutorialSlide0(), page->tutorialSlide11(), page->tutorialSlide2(), page->tutorialSlide3()};
        for (int slide = 0; slide < 4; ++slide) {
            ASSERT_TRUE(slides[slide]);
            EXPECT_EQ(!slides[slide]->isHidden(), slide == visible) << "page " << index << ", slide " << slide;
            // Each illustration holds its own picture of the bundle.
            auto expected = platform::ui::imageNamed(vistrel::kTutorialSlideImageNames[slide], bundle.get());
            ASSERT_TRUE(expected && slides[slide]->image());
            EXPECT_EQ(slides[slide]->image()->bitmap().rawPixel(240, 240), expected->bitmap().rawPixel(240, 240));
        }
    }
}

TEST_F(TutorialTest, PageTextsAreReadOnceWhenItsViewLoads) {
    auto page = makePage(1, "Discover", "What the page offers");
    EXPECT_EQ(page->titleLabel()->text(), "Discover");
    EXPECT_EQ(page->descriptionLabel()->text(), "What the page offers");
    EXPECT_EQ(page->view()->backgroundColor(), platform::graphics::Color::clear());
    page->contentTitle = "Later";
    EXPECT_EQ(page->titleLabel()->text(), "Discover");
    auto blank = makePage(2);
    EXPECT_EQ(blank->titleLabel()->text().value_or("?"), "");
    EXPECT_EQ(blank->descriptionLabel()->text().value_or("?"), "");
}
