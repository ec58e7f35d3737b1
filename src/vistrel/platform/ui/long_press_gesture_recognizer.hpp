#pragma once
// Recognises a press held in place: once the touch has stayed down for the minimum
// duration (on the platform clock, through the main queue) it begins, then changes
// with each move and ends with the touch.
#include "vistrel/platform/ui/gesture_recognizer.hpp"

namespace platform::ui {

class LongPressGestureRecognizer : public GestureRecognizer {
public:
    // How far a touch may move before it begins and still be a press, in points.
    static constexpr double allowableMovement = 10;

    double minimumPressDuration() const { return minimumPressDuration_; }
    void setMinimumPressDuration(double seconds) { minimumPressDuration_ = seconds; }

    void touchesBegan(const TouchSet& touches, const Event* event) override;
    void touchesMoved(const TouchSet& touches, const Event* event) override;
    void touchesEnded(const TouchSet& touches, const Event* event) override;
    void reset() override;

private:
    double minimumPressDuration_ = 0.5;
    Point start_;
    // Tells the timer of an earlier press from the current one.
    unsigned generation_ = 0;
    bool down_ = false;
};

}  // namespace platform::ui
