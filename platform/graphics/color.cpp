#include "platform/graphics/color.hpp"

#include <cmath>

namespace platform::graphics {

bool Color::isClose(const Color& o, double tolerance) const {
    return std::fabs(red - o.red) <= tolerance && std::fabs(green - o.green) <= tolerance &&
           std::fabs(blue - o.blue) <= tolerance && std::fabs(alpha - o.alpha) <= tolerance;
}

}  // namespace platform::graphics
