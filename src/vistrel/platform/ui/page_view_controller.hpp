#pragma once
// A page view controller: one page (a child controller) at a time in a horizontally
// paging scroll view. A finger that drags towards a neighbour (asked of the data source
// when the drag begins) starts a transition: the delegate hears will-transition with the
// pending page, and, when the view comes to rest, did-finish with the page shown before
// and whether the swipe completed (more than half a page) or was cancelled. The pages
// are children; while the container is on screen they appear and disappear with the
// swipe as containers do it: the pending page will appear and the shown one will
// disappear once the delegate has heard of the transition, and each side ends or turns
// back when it settles.
#include <functional>
#include <memory>
#include <vector>

#include "vistrel/platform/ui/scroll_view.hpp"
#include "vistrel/platform/ui/view_controller.hpp"

namespace platform::ui {

class PageViewController;

class PageViewControllerDataSource {
public:
    virtual ~PageViewControllerDataSource() = default;
    // None: there is no page on that side.
    virtual std::shared_ptr<ViewController> viewControllerBefore(PageViewController& pageViewController,
                                                                 ViewController& viewController) = 0;
    virtual std::shared_ptr<ViewController> viewControllerAfter(PageViewController& pageViewController,
                                                                ViewController& viewController) = 0;
};

// Both calls are optional.
class PageViewControllerDelegate {
public:
    virtual ~PageViewControllerDelegate() = default;
    virtual void willTransitionTo(PageViewController& pageViewController,
                                  const std::vector<std::shared_ptr<ViewController>>& pendingViewControllers) {
        (void)pageViewController, (void)pendingViewControllers;
    }
    virtual void didFinishAnimating(PageViewController& pageViewController, bool finished,
                                    const std::vector<std::shared_ptr<ViewController>>& previousViewControllers,
                                    bool transitionCompleted) {
        (void)pageViewController, (void)finished, (void)previousViewControllers, (void)transitionCompleted;
    }
};

enum class PageViewControllerNavigationDirection { forward, reverse };

class PageViewController : public ViewController {
public:
    PageViewController();
    ~PageViewController() override;

    // Both held weakly.
    std::shared_ptr<PageViewControllerDataSource> dataSource() const { return dataSource_.lock(); }
    void setDataSource(const std::shared_ptr<PageViewControllerDataSource>& dataSource) { dataSource_ = dataSource; }
    std::shared_ptr<PageViewControllerDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<PageViewControllerDelegate>& delegate) { delegate_ = delegate; }

    // The page shown (one, or none before the first `setViewControllers`).
    const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return pages_; }
    // Shows the first controller of the list in place of the page shown, without telling
    // the delegate; may come before the view is loaded. An empty list is refused with a
    // log line. The completion runs at once, or when the animation ends when animated.
    void setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers,
                            PageViewControllerNavigationDirection direction, bool animated,
                            std::function<void(bool finished)> completion = {});

    // The paging scroll view that the pages sit in (loads the view).
    ScrollView& scrollView();

    void loadView() override;

protected:
    std::vector<std::shared_ptr<ViewController>> childrenForAppearance() const override { return pages_; }

private:
    class Scrolling;
    friend class Scrolling;

    void layoutPages();
    void placePage(ViewController& page, int slot);
    void removePage(const std::shared_ptr<ViewController>& page);
    void dragBegan();
    void didScroll();
    void cameToRest();
    bool onScreen() const;

    std::weak_ptr<PageViewControllerDataSource> dataSource_;
    std::weak_ptr<PageViewControllerDelegate> delegate_;
    std::vector<std::shared_ptr<ViewController>> pages_;
    std::shared_ptr<ScrollView> scrollView_;
    std::shared_ptr<Scrolling> scrolling_;
    // The neighbours asked for when the drag began, and the one the finger goes towards.
    std::shared_ptr<ViewController> before_, after_, pending_;
    int pendingSlot_ = 1;
    bool relaying_ = false;
};

}  // namespace platform::ui
