#pragma once
// A view: a rectangle of the screen in a tree of views. Held by std::shared_ptr; a view
// holds its subviews, and its superview only weakly. Its geometry and look live in its
// backing layer. Main thread only, like all view work.
//
// The members are implemented by concern: the tree (view_tree.cpp), geometry and
// conversion (view_geometry.cpp), hit testing and touches (view_touches.cpp), layout
// (view_layout.cpp), display (view_display.cpp) and observation (view_observation.cpp).
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vistrel/platform/ui/animation_recording.hpp"
#include "vistrel/platform/ui/content_mode.hpp"
#include "vistrel/platform/ui/key_value_observing.hpp"
#include "vistrel/platform/ui/layer.hpp"
#include "vistrel/platform/ui/touch.hpp"
#include "vistrel/platform/ui/types.hpp"

namespace platform::graphics {
class Canvas;
}

namespace platform::ui {

class GestureRecognizer;
class LayoutConstraint;
class Window;

namespace detail {
struct ViewAccess;
}

class View : public std::enable_shared_from_this<View> {
public:
    explicit View(const Rect& frame = {});
    virtual ~View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    // ---- Geometry (view_geometry.cpp) ----
    // The frame is the bounds placed with their centre on `center` and transformed about
    // it (the anchor point (0.5, 0.5)). Setting a frame under a transform sets the centre
    // and the bounds size and keeps the transform.
    Rect frame() const { return layer_->frame(); }
    void setFrame(const Rect& frame) {
        detail::AnimatedChange change(*this, AnimatableProperty::frame);
        layer_->setFrame(frame);
    }
    Rect bounds() const { return layer_->bounds(); }
    void setBounds(const Rect& bounds) {
        detail::AnimatedChange change(*this, AnimatableProperty::bounds);
        layer_->setBounds(bounds);
    }
    Point center() const { return layer_->position(); }
    void setCenter(Point center) {
        detail::AnimatedChange change(*this, AnimatableProperty::center);
        layer_->setPosition(center);
    }
    // The layer's transform: the same value.
    AffineTransform transform() const { return layer_->transform(); }
    void setTransform(const AffineTransform& transform) {
        detail::AnimatedChange change(*this, AnimatableProperty::transform);
        layer_->setTransform(transform);
    }

    // Conversion between the bounds spaces of any two views, through transforms and
    // windows. No view means the window (or, outside any window, the topmost ancestor).
    // A view whose transform cannot be inverted gives NaN coordinates.
    Point convertPoint(Point point, const View* to) const;
    Point convertPointFrom(Point point, const View* from) const;
    Rect convertRect(const Rect& rect, const View* to) const;
    Rect convertRectFrom(const Rect& rect, const View* from) const;

    // ---- Look ----
    double alpha() const { return layer_->opacity(); }
    void setAlpha(double alpha) {
        detail::AnimatedChange change(*this, AnimatableProperty::alpha);
        layer_->setOpacity(alpha);
    }
    bool isHidden() const { return layer_->isHidden(); }
    void setHidden(bool hidden) { layer_->setHidden(hidden); }
    std::optional<Color> backgroundColor() const { return layer_->backgroundColor(); }
    void setBackgroundColor(std::optional<Color> color) {
        detail::AnimatedChange change(*this, AnimatableProperty::backgroundColor);
        layer_->setBackgroundColor(color);
    }
    bool clipsToBounds() const { return layer_->masksToBounds(); }
    void setClipsToBounds(bool clips) { layer_->setMasksToBounds(clips); }
    // The view's own tint, else its superview's, else the system blue.
    Color tintColor() const;
    std::optional<Color> ownTintColor() const { return tintColor_; }
    void setTintColor(std::optional<Color> color);
    ContentMode contentMode() const { return contentMode_; }
    void setContentMode(ContentMode mode);
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    Layer& layer() const { return *layer_; }
    const std::shared_ptr<Layer>& layerPointer() const { return layer_; }

    static Color systemBlue() { return Color::rgba(0, 122.0 / 255, 1, 1); }

    // ---- Tree (view_tree.cpp) ----
    // The superview (none while it is being built or when there is none).
    std::shared_ptr<View> superview() const;
    const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
    // The window the view is in, if any (a window is its own window).
    std::shared_ptr<Window> window() const;

    // Adds on top. Re-adding a subview moves it to the front; a view with another
    // superview leaves it first. Adding a view to itself or to one of its descendants
    // is refused with a log line.
    void addSubview(std::shared_ptr<View> view);
    // At `index` among the subviews (cut to the count).
    void insertSubview(std::shared_ptr<View> view, std::size_t index);
    // Just above or below `sibling` (on top / at the bottom when it is no subview here).
    void insertSubviewAbove(std::shared_ptr<View> view, const View* sibling);
    void insertSubviewBelow(std::shared_ptr<View> view, const View* sibling);
    void bringSubviewToFront(const View* view);
    void removeFromSuperview();
    // True for the view itself too.
    bool isDescendant(const View& ancestor) const;
    // The first view with the tag, searching the view itself, then its subtree depth first.
    std::shared_ptr<View> viewWithTag(int tag);

    // Told on every change of superview or window, before and after; a subview is told
    // of its new window with it. Re-adding a subview to the same superview is no change.
    virtual void willMoveToSuperview(View* newSuperview);
    virtual void didMoveToSuperview();
    virtual void willMoveToWindow(Window* newWindow);
    virtual void didMoveToWindow();
    virtual void didAddSubview(View& subview);
    virtual void willRemoveSubview(View& subview);

    // ---- Layout (view_layout.cpp) ----
    void setNeedsLayout() { needsLayout_ = true; }
    bool needsLayout() const { return needsLayout_; }
    // Lays this view out if it is marked, then its subviews, depth first.
    void layoutIfNeeded();
    // Places the subviews; the default applies the active constraints of the subviews.
    virtual void layoutSubviews();
    // The size the view would like within `size`; the default is its current size.
    virtual Size sizeThatFits(Size size) const;
    // Gives the bounds the size that fits the current one.
    void sizeToFit();
    // The active constraints whose item is this view.
    const std::vector<std::shared_ptr<LayoutConstraint>>& constraints() const { return constraints_; }

    // ---- Display (view_display.cpp) ----
    // A new view needs display. The display pass clears the mark before it calls draw,
    // so a request made during draw waits for the next pass.
    void setNeedsDisplay() { needsDisplay_ = true; }
    bool needsDisplay() const { return needsDisplay_; }
    // Runs draw for every marked, shown view of this subtree, parents before children.
    void displayIfNeeded();
    // The drawing hook of the display pass, given the bounds.
    virtual void draw(const Rect& rect);

    // ---- Hit testing and touches (view_touches.cpp) ----
    // Nothing for a hidden view, one with alpha <= 0.01 or with interaction off;
    // otherwise, when the point is inside, the subviews front to back (each with the
    // point in its own space, no check against its frame), else this view.
    virtual std::shared_ptr<View> hitTest(Point point, const Event* event);
    virtual bool pointInside(Point point, const Event* event) const;
    bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
    void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }
    // The default passes the touches on to the superview.
    virtual void touchesBegan(const TouchSet& touches, const Event* event);
    virtual void touchesMoved(const TouchSet& touches, const Event* event);
    virtual void touchesEnded(const TouchSet& touches, const Event* event);
    virtual void touchesCancelled(const TouchSet& touches, const Event* event);

    void addGestureRecognizer(std::shared_ptr<GestureRecognizer> recognizer);
    void removeGestureRecognizer(const GestureRecognizer* recognizer);
    const std::vector<std::shared_ptr<GestureRecognizer>>& gestureRecognizers() const { return recognizers_; }

    // ---- Observation (view_observation.cpp) ----
    // Registers the observer for the key path ("frame", "bounds"; subclasses publish
    // others such as "contentOffset"). Each registration gives one call per change.
    void addObserver(const std::shared_ptr<KeyValueObserver>& observer, std::string keyPath);
    // Removes one registration. False, with a log line, when there is none.
    bool removeObserver(const KeyValueObserver* observer, std::string_view keyPath);
    std::size_t observationCount(std::string_view keyPath) const;

protected:
    // What the view shows of its own (text, an image), drawn by the renderer in the
    // view's bounds space above its background.
    virtual void drawContent(graphics::Canvas& canvas) const;
    // Tells the observers of `keyPath` after a change.
    void didChangeValue(const std::string& keyPath, const ObservedValue& oldValue, const ObservedValue& newValue);

private:
    friend class LayoutConstraint;
    friend struct detail::ViewAccess;

    struct Observation {
        std::weak_ptr<KeyValueObserver> observer;
        const KeyValueObserver* identity = nullptr;
        std::string keyPath;
    };

    void layerGeometryDidChange(const Rect& oldFrame, const Rect& oldBounds);
    void insertSubviewAt(std::shared_ptr<View> view, std::size_t index);
    bool canAdopt(const View& view) const;
    void applyConstraints();

    std::shared_ptr<Layer> layer_;
    std::vector<std::shared_ptr<View>> subviews_;
    View* superview_ = nullptr;
    std::optional<Color> tintColor_;
    ContentMode contentMode_ = ContentMode::scaleToFill;
    int tag_ = 0;
    bool userInteractionEnabled_ = true;
    bool needsLayout_ = true;
    bool needsDisplay_ = true;
    std::vector<std::shared_ptr<GestureRecognizer>> recognizers_;
    std::vector<std::shared_ptr<LayoutConstraint>> constraints_;
    std::vector<Observation> observations_;
};

}  // namespace platform::ui
