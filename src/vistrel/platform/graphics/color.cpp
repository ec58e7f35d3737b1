#include "vistrel/platform/graphics/color.hpp"

#include <cmath>

namespace platform::graphics {

bool Color::isClose(const Color& o, double tolerance) const {
    return std::fabs(r - o.r) <= tolerance && std::fabs(g - o.g) <= tolerance &&
           std::fabs(b - o.b) <= tolerance && std::fabs(a - o.a) <= tolerance;
}

}  // namespace platform::graphics
