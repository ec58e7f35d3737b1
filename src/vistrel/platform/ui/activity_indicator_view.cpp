#include "vistrel/platform/ui/activity_indicator_view.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "vistrel/platform/graphics/canvas.hpp"
#include "vistrel/platform/graphics/path.hpp"

namespace platform::ui {

namespace {

Size styleSize(ActivityIndicatorStyle style) {
    return style == ActivityIndicatorStyle::whiteLarge ? Size{37, 37} : Size{20, 20};
}

}  // namespace

ActivityIndicatorView::ActivityIndicatorView(ActivityIndicatorStyle style)
    : View(Rect{Point{}, styleSize(style)}), style_(style) {
    setUserInteractionEnabled(false);
    setHidden(true);
}

void ActivityIndicatorView::setStyle(ActivityIndicatorStyle style) {
    style_ = style;
    setNeedsDisplay();
}

Color ActivityIndicatorView::color() const {
    if (color_) return *color_;
    return style_ == ActivityIndicatorStyle::gray ? Color::gray() : Color::white();
}

void ActivityIndicatorView::setColor(std::optional<Color> color) {
    color_ = color;
    setNeedsDisplay();
}

void ActivityIndicatorView::startAnimating() {
    if (isAnimating()) return;
    startFollowingClock();
    if (hidesWhenStopped_) setHidden(false);
    setNeedsDisplay();
}

void ActivityIndicatorView::stopAnimating() {
    if (!isAnimating()) return;
    stopFollowingClock();
    if (hidesWhenStopped_) setHidden(true);
    setNeedsDisplay();
}

void ActivityIndicatorView::setHidesWhenStopped(bool hides) {
    if (hides == hidesWhenStopped_) return;
    hidesWhenStopped_ = hides;
    if (!isAnimating()) setHidden(hides);
}

std::size_t ActivityIndicatorView::leadingSpoke() const {
    return frameNow(secondsPerTurn / spokeCount, spokeCount);
}

void ActivityIndicatorView::clockDidAdvance() {
    if (leadingSpoke() != drawnSpoke_) setNeedsDisplay();
}

Size ActivityIndicatorView::sizeThatFits(Size) const { return styleSize(style_); }

void ActivityIndicatorView::drawContent(graphics::Canvas& canvas) const {
    const Rect b = bounds();
    const double radius = std::min(b.width(), b.height()) / 2;
    if (!(radius > 0)) return;
    const double width = radius * 0.22;
    const Point c{b.midX(), b.midY()};
    const std::size_t leading = leadingSpoke();
    drawnSpoke_ = leading;
    const Color base = color();
    for (int i = 0; i < spokeCount; ++i) {
        // The spokes behind the leading one fade, the farthest to a quarter.
        const int behind = (static_cast<int>(leading) - i + spokeCount) % spokeCount;
        const double alpha = 1 - 0.75 * behind / (spokeCount - 1);
        const double angle = 2 * std::numbers::pi * i / spokeCount - std::numbers::pi / 2;
        const double dx = std::cos(angle), dy = std::sin(angle);
        graphics::Path spoke;
        spoke.moveTo({c.x + dx * radius * 0.5, c.y + dy * radius * 0.5});
        spoke.lineTo({c.x + dx * (radius - width / 2), c.y + dy * (radius - width / 2)});
        canvas.stroke(spoke, base.withAlpha(base.a * alpha), width, graphics::LineCap::round);
    }
}

}  // namespace platform::ui
