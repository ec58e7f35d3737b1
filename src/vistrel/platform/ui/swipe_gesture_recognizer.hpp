#pragma once
// Recognises a swipe: a touch that travels far enough, mostly along one of the allowed
// directions.
#include "vistrel/platform/ui/gesture_recognizer.hpp"

namespace platform::ui {

enum class SwipeDirection : unsigned { right = 1u << 0, left = 1u << 1, up = 1u << 2, down = 1u << 3 };
constexpr SwipeDirection operator|(SwipeDirection a, SwipeDirection b) {
    return static_cast<SwipeDirection>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}

class SwipeGestureRecognizer : public GestureRecognizer {
public:
    // How far, in points, a touch must travel to be a swipe.
    static constexpr double minimumDistance = 50;

    SwipeDirection direction() const { return direction_; }
    void setDirection(SwipeDirection direction) { direction_ = direction; }

    void touchesBegan(const TouchSet& touches, const Event* event) override;
    void touchesMoved(const TouchSet& touches, const Event* event) override;
    void touchesEnded(const TouchSet& touches, const Event* event) override;

private:
    // Recognises, fails or waits, from the distance travelled so far.
    void evaluate(Point location, bool final);

    SwipeDirection direction_ = SwipeDirection::right;
    Point start_;
};

}  // namespace platform::ui
