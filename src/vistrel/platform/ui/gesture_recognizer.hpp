#pragma once
// Gesture recognisers: attached to a view, they see the touches of that view and of its
// subviews before the touched view does, and send their actions (targets held weakly)
// when they recognise their gesture. Once one recognises, the touched view's touches
// are cancelled when `cancelsTouchesInView` is set (the default).
#include <memory>

#include "vistrel/platform/ui/target_action.hpp"
#include "vistrel/platform/ui/touch.hpp"
#include "vistrel/platform/ui/types.hpp"

namespace platform::ui {

class View;

enum class GestureRecognizerState { possible, began, changed, ended, cancelled, failed };

class GestureRecognizer : public std::enable_shared_from_this<GestureRecognizer> {
public:
    GestureRecognizer() = default;
    virtual ~GestureRecognizer() = default;
    GestureRecognizer(const GestureRecognizer&) = delete;
    GestureRecognizer& operator=(const GestureRecognizer&) = delete;

    // `action` is a member function taking nothing or the recogniser.
    template <class T, class F>
    void addTarget(const std::shared_ptr<T>& target, F action) {
        actions_.add(target, action, 1);
    }
    template <class T, class F>
    void removeTarget(const T* target, F action) {
        actions_.remove(target, action, 1);
    }
    std::size_t actionCount() const { return actions_.count(1); }

    GestureRecognizerState state() const { return state_; }
    // The view it is attached to (none when it is not, or the view is being built).
    std::shared_ptr<View> view() const;
    View* attachedView() const { return view_; }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool cancelsTouchesInView() const { return cancelsTouchesInView_; }
    void setCancelsTouchesInView(bool cancels) { cancelsTouchesInView_ = cancels; }

    // Where the gesture is (the first touch's latest location) in `view`'s space.
    Point location(const View* view) const;
    bool hasRecognized() const {
        return state_ == GestureRecognizerState::began || state_ == GestureRecognizerState::changed ||
               state_ == GestureRecognizerState::ended;
    }
    bool isFinished() const {
        return state_ == GestureRecognizerState::ended || state_ == GestureRecognizerState::cancelled ||
               state_ == GestureRecognizerState::failed;
    }

    virtual void touchesBegan(const TouchSet& touches, const Event* event);
    virtual void touchesMoved(const TouchSet& touches, const Event* event);
    virtual void touchesEnded(const TouchSet& touches, const Event* event);
    virtual void touchesCancelled(const TouchSet& touches, const Event* event);
    // Back to `possible`, ready for the next touches.
    virtual void reset();

protected:
    // Changes the state; a recognised state (began, changed, ended) sends the actions.
    void setState(GestureRecognizerState state);
    void remember(const TouchSet& touches);

private:
    friend class View;
    void attachToView(View* view) { view_ = view; }
    void detachFromView(View* view) {
        if (view_ == view) view_ = nullptr;
    }

    TargetActionList<GestureRecognizer> actions_;
    GestureRecognizerState state_ = GestureRecognizerState::possible;
    View* view_ = nullptr;
    bool enabled_ = true;
    bool cancelsTouchesInView_ = true;
    std::weak_ptr<Touch> touch_;
};

}  // namespace platform::ui
