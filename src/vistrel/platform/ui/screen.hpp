#pragma once
// The screen: its size in points and how many pixels make a point. Images drawn at
// "the screen's scale" and renderings use this scale.
#include "vistrel/platform/ui/types.hpp"

namespace platform::ui {

class Screen {
public:
    static constexpr double defaultWidth = 375;
    static constexpr double defaultHeight = 667;
    static constexpr double defaultScale = 2;

    static Screen& main();

    Rect bounds() const { return bounds_; }
    // A size that is not finite and above zero is refused with a log line.
    void setBounds(const Rect& bounds);
    double scale() const { return scale_; }
    // Also the scale of image contexts asked for the screen's scale. A scale that is not
    // a finite number in (0, 4] is refused with a log line.
    void setScale(double scale);

private:
    Screen();
    Rect bounds_{0, 0, defaultWidth, defaultHeight};
    double scale_ = defaultScale;
};

}  // namespace platform::ui
