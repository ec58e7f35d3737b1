#pragma once
// Recognises taps: a touch that ends close to where it began, after the required
// number of taps (each touch's tap count tells which tap of a series it is).
#include "vistrel/platform/ui/gesture_recognizer.hpp"

namespace platform::ui {

class TapGestureRecognizer : public GestureRecognizer {
public:
    // How far a touch may move and still be a tap, in points.
    static constexpr double allowableMovement = 10;

    int numberOfTapsRequired() const { return tapsRequired_; }
    // Values below 1 count as 1.
    void setNumberOfTapsRequired(int taps) { tapsRequired_ = taps < 1 ? 1 : taps; }

    void touchesBegan(const TouchSet& touches, const Event* event) override;
    void touchesMoved(const TouchSet& touches, const Event* event) override;
    void touchesEnded(const TouchSet& touches, const Event* event) override;

private:
    int tapsRequired_ = 1;
    Point start_;
};

}  // namespace platform::ui
