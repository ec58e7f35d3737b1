#pragma once
// An activity indicator: a ring of spokes whose brightest spoke turns while it animates.
// It starts stopped; with `hidesWhenStopped` (the default) it is hidden whenever it is
// stopped and shown while it animates. The turning follows the dispatch clock, so a
// rendering at a given clock time shows the spoke due then.
#include <cstddef>
#include <optional>

#include "vistrel/platform/ui/update_pass.hpp"
#include "vistrel/platform/ui/view.hpp"

namespace platform::ui {

enum class ActivityIndicatorStyle {
    whiteLarge,  // 37 x 37 points, white
    white,       // 20 x 20 points, white
    gray,        // 20 x 20 points, grey
};

class ActivityIndicatorView : public View, private detail::ClockDriven {
public:
    static constexpr int spokeCount = 12;
    // One turn of the brightest spoke round the ring.
    static constexpr double secondsPerTurn = 1;

    // A view of the style's size at the origin.
    explicit ActivityIndicatorView(ActivityIndicatorStyle style = ActivityIndicatorStyle::white);

    ActivityIndicatorStyle style() const { return style_; }
    // Keeps the frame; sizeToFit gives the new style's size.
    void setStyle(ActivityIndicatorStyle style);
    // The colour set, else the style's.
    Color color() const;
    void setColor(std::optional<Color> color);

    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return followsClock(); }
    bool hidesWhenStopped() const { return hidesWhenStopped_; }
    // Turning it on while stopped hides the indicator; turning it off shows it again.
    void setHidesWhenStopped(bool hides);

    // The brightest spoke now (0 while stopped), counted clockwise from the top.
    std::size_t leadingSpoke() const;

    Size sizeThatFits(Size size) const override;

protected:
    void drawContent(graphics::Canvas& canvas) const override;

private:
    void clockDidAdvance() override;

    ActivityIndicatorStyle style_;
    std::optional<Color> color_;
    bool hidesWhenStopped_ = true;
    mutable std::size_t drawnSpoke_ = 0;  // the spoke last drawn brightest
};

}  // namespace platform::ui
