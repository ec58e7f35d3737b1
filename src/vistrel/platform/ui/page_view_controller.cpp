#include "vistrel/platform/ui/page_view_controller.hpp"

#include <cmath>

#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/animation.hpp"
#include "vistrel/platform/ui/layout_callback_view.hpp"
#include "vistrel/platform/ui/screen.hpp"

namespace platform::ui {

// The pages sit in three slots of the content, one page wide each: before, shown,
// after. At rest the shown page fills the view (the offset is one page).
class PageViewController::Scrolling : public ScrollViewDelegate {
public:
    explicit Scrolling(PageViewController& owner) : owner_(owner) {}
    void scrollViewWillBeginDragging(ScrollView&) override { owner_.dragBegan(); }
    void scrollViewDidScroll(ScrollView&) override { owner_.didScroll(); }
    void scrollViewDidEndDecelerating(ScrollView&) override { owner_.cameToRest(); }

private:
    PageViewController& owner_;
};

PageViewController::PageViewController()
    : scrollView_(std::make_shared<ScrollView>(Screen::main().bounds())), scrolling_(std::make_shared<Scrolling>(*this)) {
    scrollView_->setPagingEnabled(true);
    scrollView_->setDelegate(scrolling_);
}

PageViewController::~PageViewController() = default;

void PageViewController::loadView() {
    auto container = std::make_shared<LayoutCallbackView>(Screen::main().bounds());
    std::weak_ptr<ViewController> weak = weak_from_this();
    container->onLayout = [weak] {
        if (auto self = weak.lock()) static_cast<PageViewController&>(*self).layoutPages();
    };
    container->addSubview(scrollView_);
    setView(container);
    layoutPages();
}

ScrollView& PageViewController::scrollView() {
    loadViewIfNeeded();
    return *scrollView_;
}

bool PageViewController::onScreen() const { return appearanceState() == AppearanceState::appeared; }

void PageViewController::placePage(ViewController& page, int slot) {
    auto v = page.view();
    const Size size = scrollView_->bounds().size;
    v->setFrame({size.width * slot, 0, size.width, size.height});
    if (v->superview() != scrollView_) scrollView_->addSubview(v);
}

void PageViewController::layoutPages() {
    auto container = viewIfLoaded();
    if (!container) return;
    relaying_ = true;
    scrollView_->setFrame(container->bounds());
    const double width = scrollView_->bounds().width();
    // The content reaches only the sides that have a page: without one before, the
    // inset takes the first slot away.
    const bool hasBefore = before_ != nullptr, hasAfter = after_ != nullptr;
    scrollView_->setContentSize({width * (hasAfter ? 3 : 2), scrollView_->bounds().height()});
    EdgeInsets inset;
    inset.left = hasBefore ? 0 : -width;
    // A finger keeps the content where it is; at rest the shown page fills the view.
    const Point kept = scrollView_->contentOffset();
    scrollView_->setContentInset(inset);
    scrollView_->setContentOffset(scrollView_->isDragging() ? kept : Point{width, 0});
    if (!pages_.empty()) placePage(*pages_.front(), 1);
    if (before_ && before_ == pending_) placePage(*before_, 0);
    if (after_ && after_ == pending_) placePage(*after_, 2);
    relaying_ = false;
}

void PageViewController::removePage(const std::shared_ptr<ViewController>& page) {
    if (!page) return;
    page->willMoveToParent(nullptr);
    if (auto v = page->viewIfLoaded(); v && v->superview() == scrollView_) v->removeFromSuperview();
    page->removeFromParent();
}

void PageViewController::setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers,
                                            PageViewControllerNavigationDirection, bool animated,
                                            std::function<void(bool finished)> completion) {
    if (controllers.empty() || !controllers.front()) {
        log("PageViewController :: refusing to show no page");
        return;
    }
    auto self = std::static_pointer_cast<PageViewController>(shared_from_this());
    auto next = controllers.front();
    auto previous = pages_.empty() ? nullptr : pages_.front();
    if (next != previous) {
        const bool appearing = onScreen();
        if (appearing) {
            if (previous) previous->beginAppearanceTransition(false, animated);
            next->beginAppearanceTransition(true, animated);
        }
        addChild(next);
        pages_ = {next};
        removePage(previous);
        layoutPages();
        if (appearing) {
            if (previous) previous->endAppearanceTransition();
            next->endAppearanceTransition();
        }
        next->didMoveToParent(this);
    }
    if (!completion) return;
    if (animated)
        animate(0.3, [] {}, [completion](bool finished) { completion(finished); });
    else
        completion(true);
}

void PageViewController::dragBegan() {
    if (pages_.empty() || pending_) return;
    auto self = std::static_pointer_cast<PageViewController>(shared_from_this());
    auto source = dataSource();
    before_ = source ? source->viewControllerBefore(*this, *pages_.front()) : nullptr;
    after_ = source ? source->viewControllerAfter(*this, *pages_.front()) : nullptr;
    layoutPages();
}

void PageViewController::didScroll() {
    if (relaying_ || pending_ || pages_.empty() || !scrollView_->isDragging()) return;
    const double width = scrollView_->bounds().width();
    const double x = scrollView_->contentOffset().x;
    std::shared_ptr<ViewController> towards = x < width ? before_ : x > width ? after_ : nullptr;
    if (!towards) return;
    auto self = std::static_pointer_cast<PageViewController>(shared_from_this());
    // The page on the other side is out of reach until this transition ends.
    pending_ = towards;
    pendingSlot_ = towards == before_ ? 0 : 2;
    (towards == before_ ? after_ : before_) = nullptr;
    addChild(pending_);
    layoutPages();
    if (auto d = delegate()) d->willTransitionTo(*this, {pending_});
    if (pending_ && onScreen()) {
        pending_->beginAppearanceTransition(true, true);
        pages_.front()->beginAppearanceTransition(false, true);
    }
}

void PageViewController::cameToRest() {
    auto self = std::static_pointer_cast<PageViewController>(shared_from_this());
    auto pending = std::move(pending_);
    before_ = after_ = pending_ = nullptr;
    if (!pending || pages_.empty()) return layoutPages();
    const double width = scrollView_->bounds().width();
    const bool completed = width > 0 && std::lround(scrollView_->contentOffset().x / width) == pendingSlot_;
    const std::vector<std::shared_ptr<ViewController>> previous = pages_;
    auto shown = previous.front();
    if (completed) {
        pages_ = {pending};
        removePage(shown);
        layoutPages();
        if (onScreen()) {
            pending->endAppearanceTransition();
            shown->endAppearanceTransition();
        }
        pending->didMoveToParent(this);
    } else {
        // Each side turns back: the pending page disappears, the shown one stays.
        if (onScreen()) {
            pending->beginAppearanceTransition(false, true);
            shown->beginAppearanceTransition(true, true);
        }
        removePage(pending);
        layoutPages();
        if (onScreen()) {
            pending->endAppearanceTransition();
            shown->endAppearanceTransition();
        }
    }
    if (auto d = delegate()) d->didFinishAnimating(*this, true, previous, completed);
}

}  // namespace platform::ui
