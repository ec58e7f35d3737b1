#pragma once
// The tutorial: four steps shown one page at a time in a page view controller, with a
// page indicator that follows the page, a close button shown on the last page only and
// a vertical gradient behind the upper part. The screen keeps the step texts (looked up
// once, when it is made), builds a new page each time the page view controller asks for
// one and follows the swipes as the pages' data source and delegate. Presented modally,
// by itself. Main thread only.
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "vistrel/platform/ui/button.hpp"
#include "vistrel/platform/ui/image_view.hpp"
#include "vistrel/platform/ui/page_view_controller.hpp"
#include "vistrel/screens/common/vistrel_view_controller.hpp"
#include "vistrel/screens/tutorial/tutorial_content.hpp"
#include "vistrel/screens/tutorial/tutorial_content_view_controller.hpp"

namespace vistrel {

// A position that stands for no page.
inline constexpr std::intptr_t kTutorialIndexNotFound = std::numeric_limits<std::intptr_t>::max();

// The name of the indicator image for a page: "tuto_page_indicator_" and the position.
std::string tutorialPageIndicatorName(std::intptr_t index);

class TutorialViewController : public VistrelViewController,
                               public platform::ui::PageViewControllerDataSource,
                               public platform::ui::PageViewControllerDelegate {
public:
    // The initial screen of storyboard "Tutorial" in the kit's bundle; when the bundle,
    // the storyboard or the scene is missing, a log line and the screen built without it
    // (which shows no pages).
    static std::shared_ptr<TutorialViewController> instance();

    // The four steps, their texts looked up now.
    TutorialViewController();

    // The position of the page the latest transition went to.
    std::intptr_t lastContentIndex = 0;
    const std::vector<TutorialContent>& tutorialContents() const { return tutorialContents_; }

    std::shared_ptr<platform::ui::View> topView() const { return topView_.lock(); }
    std::shared_ptr<platform::ui::View> bottomView() const { return bottomView_.lock(); }
    std::shared_ptr<platform::ui::Button> closeButton() const { return closeButton_.lock(); }
    std::shared_ptr<platform::ui::ImageView> indicatorImageView() const { return indicatorImageView_.lock(); }
    // The embedded page view controller (none before the view has loaded, or for a
    // screen made outside the storyboard).
    std::shared_ptr<platform::ui::PageViewController> pageViewController() const { return pageViewController_.lock(); }

    // The upper part, the lower part, the pages' container over both, the indicator on
    // the first page and the close button wired to close().
    void loadView() override;
    // Hides the close button and gives it the close glyph, white on the primary colour.
    void viewDidLoad() override;
    // Adds one more gradient layer (the theme's top colour to its bottom colour) over the
    // upper part's bounds as they are now.
    void viewDidAppear(bool animated) override;
    // "showPageViewController": becomes the pages' data source and delegate and shows
    // page 0 without animation. Other segues are ignored.
    void prepareForSegue(platform::ui::StoryboardSegue& segue, const std::any& sender) override;
    platform::ui::StatusBarStyle preferredStatusBarStyle() const override {
        return platform::ui::StatusBarStyle::defaultStyle;
    }

    // Dismisses the screen, animated.
    void close(platform::ui::Control& sender);

    // A new page for the step at `index`, from this screen's storyboard (built in code
    // when there is none); none, with a log line, for an index outside the steps.
    std::shared_ptr<TutorialContentViewController> getContentViewControllerAtIndex(std::intptr_t index);

    // No page before the first step or after the last, nor beside a page whose position
    // is not one of the steps.
    std::shared_ptr<platform::ui::ViewController> viewControllerBefore(
        platform::ui::PageViewController& pageViewController, platform::ui::ViewController& viewController) override;
    std::shared_ptr<platform::ui::ViewController> viewControllerAfter(
        platform::ui::PageViewController& pageViewController, platform::ui::ViewController& viewController) override;
    // Notes the position of the first pending page; an empty list changes nothing.
    void willTransitionTo(platform::ui::PageViewController& pageViewController,
                          const std::vector<std::shared_ptr<platform::ui::ViewController>>& pending) override;
    // After a completed transition the indicator and the close button follow the page the
    // page view controller shows (the noted position when it shows none of the steps'
    // pages); a cancelled one changes nothing.
    void didFinishAnimating(platform::ui::PageViewController& pageViewController, bool finished,
                            const std::vector<std::shared_ptr<platform::ui::ViewController>>& previousViewControllers,
                            bool transitionCompleted) override;

private:
    std::shared_ptr<TutorialViewController> self();
    bool isStep(std::intptr_t index) const;

    const std::vector<TutorialContent> tutorialContents_;
    std::weak_ptr<platform::ui::View> topView_;
    std::weak_ptr<platform::ui::View> bottomView_;
    std::weak_ptr<platform::ui::Button> closeButton_;
    std::weak_ptr<platform::ui::ImageView> indicatorImageView_;
    std::weak_ptr<platform::ui::PageViewController> pageViewController_;
};

}  // namespace vistrel
