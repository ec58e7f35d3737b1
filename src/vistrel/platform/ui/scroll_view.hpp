#pragma once
// A scroll view: a window onto content larger than itself. The content offset is the
// bounds origin, so moving it moves every subview; the content inset adds room around
// the content that the offset may reach. A finger drags the content and, on release,
// the view settles in range (on a whole page when paging is on) and tells its delegate.
#include <memory>

#include "vistrel/platform/ui/view.hpp"

namespace platform::ui {

class ScrollView;

// Every call is optional.
class ScrollViewDelegate {
public:
    virtual ~ScrollViewDelegate() = default;
    // After every change of the content offset.
    virtual void scrollViewDidScroll(ScrollView& scrollView) { (void)scrollView; }
    virtual void scrollViewWillBeginDragging(ScrollView& scrollView) { (void)scrollView; }
    // The finger lifted; the view settles next.
    virtual void scrollViewDidEndDragging(ScrollView& scrollView) { (void)scrollView; }
    // The view came to rest after a drag.
    virtual void scrollViewDidEndDecelerating(ScrollView& scrollView) { (void)scrollView; }
};

class ScrollView : public View {
public:
    explicit ScrollView(const Rect& frame = {});

    Size contentSize() const { return contentSize_; }
    void setContentSize(Size size);
    // The bounds origin. Observers of "contentOffset" and the delegate are told of each
    // change. Animated, the change runs in an animation (the final value at once).
    Point contentOffset() const { return bounds().origin; }
    void setContentOffset(Point offset);
    void setContentOffset(Point offset, bool animated);
    // Setting the inset keeps the content where it is on screen relative to the new
    // inset: the offset moves by the change of the top and left insets.
    EdgeInsets contentInset() const { return contentInset_; }
    void setContentInset(const EdgeInsets& inset);
    bool isPagingEnabled() const { return pagingEnabled_; }
    void setPagingEnabled(bool paging) { pagingEnabled_ = paging; }
    bool isScrollEnabled() const { return scrollEnabled_; }
    void setScrollEnabled(bool enabled) { scrollEnabled_ = enabled; }

    // Held weakly.
    std::shared_ptr<ScrollViewDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<ScrollViewDelegate>& delegate) { delegate_ = delegate; }

    // The offsets the view settles within: from minus the top-left inset to the content
    // (plus the bottom-right inset) less the bounds, never below the minimum.
    Point minimumContentOffset() const;
    Point maximumContentOffset() const;

    // As a finger would: `dragBy` moves the content by `distance` (the offset moves the
    // other way; a first drag tells will-begin-dragging), `endDragging` lifts the finger:
    // the view settles on the nearest page when paging, else in range, then tells
    // did-end-dragging and did-end-decelerating.
    void dragBy(Size distance);
    void endDragging();
    bool isDragging() const { return dragging_; }

    // Touches that begin here or in a subview that passes them on: a move drags, a
    // touch that never moved is a tap at its location in the content. A finger that
    // moves mostly along an axis the view cannot scroll along goes on to the enclosing
    // scroll view (a list inside a paging view lets sideways swipes turn the page).
    void touchesBegan(const TouchSet& touches, const Event* event) override;
    void touchesMoved(const TouchSet& touches, const Event* event) override;
    void touchesEnded(const TouchSet& touches, const Event* event) override;
    void touchesCancelled(const TouchSet& touches, const Event* event) override;

protected:
    // After each change of the offset, before the delegate hears of it.
    virtual void contentOffsetDidChange() {}
    // A touch ended where it began, at `location` in the bounds space.
    virtual void didTap(Point location) { (void)location; }

private:
    Point settledOffset() const;
    bool canScroll(bool sideways) const;
    std::shared_ptr<ScrollView> enclosingScrollView() const;

    Size contentSize_;
    EdgeInsets contentInset_;
    bool pagingEnabled_ = false;
    bool scrollEnabled_ = true;
    bool dragging_ = false;
    std::weak_ptr<ScrollViewDelegate> delegate_;
    // The finger's last point in the window, and whether it moved since it came down.
    Point touchPoint_;
    bool touchMoved_ = false;
    bool touchDown_ = false;
    // The enclosing scroll view told of the touch, and whether the touch is now its own.
    std::shared_ptr<ScrollView> outer_;
    bool passingOn_ = false;
};

}  // namespace platform::ui
