#pragma once
// The bounds every length and font size shown on screen is kept within, whatever the
// style texts say: a row or an icon is never negative, infinite or absurdly large.
#include <algorithm>
#include <cmath>

namespace vistrel::display_limits {

// The largest row height, icon size or corner radius, in points.
inline constexpr double maximumLength = 10000.0;
// The largest font size, in points.
inline constexpr double maximumFontSize = 1000.0;

// A length within 0...maximumLength; NaN gives 0, infinity the bound of its sign.
inline double clampLength(double length) {
    if (std::isnan(length)) return 0.0;
    return std::clamp(length, 0.0, maximumLength);
}

}  // namespace vistrel::display_limits
