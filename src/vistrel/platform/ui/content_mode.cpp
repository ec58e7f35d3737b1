#include "vistrel/platform/ui/content_mode.hpp"

#include <algorithm>

namespace platform::ui {

Rect contentRect(ContentMode mode, Size content, const Rect& bounds) {
    const Rect b = bounds.standardized();
    const double w = content.width, h = content.height;
    switch (mode) {
    case ContentMode::scaleToFill:
    case ContentMode::redraw:
        return b;
    case ContentMode::scaleAspectFit:
    case ContentMode::scaleAspectFill: {
        if (w <= 0 || h <= 0) return b;
        const double sx = b.width() / w, sy = b.height() / h;
        const double s = mode == ContentMode::scaleAspectFit ? std::min(sx, sy) : std::max(sx, sy);
        const double dw = w * s, dh = h * s;
        return {b.midX() - dw / 2, b.midY() - dh / 2, dw, dh};
    }
    default:
        break;
    }
    double x = b.midX() - w / 2, y = b.midY() - h / 2;
    switch (mode) {
    case ContentMode::top: y = b.minY(); break;
    case ContentMode::bottom: y = b.maxY() - h; break;
    case ContentMode::left: x = b.minX(); break;
    case ContentMode::right: x = b.maxX() - w; break;
    case ContentMode::topLeft: x = b.minX(); y = b.minY(); break;
    case ContentMode::topRight: x = b.maxX() - w; y = b.minY(); break;
    case ContentMode::bottomLeft: x = b.minX(); y = b.maxY() - h; break;
    case ContentMode::bottomRight: x = b.maxX() - w; y = b.maxY() - h; break;
    default: break;
    }
    return {x, y, w, h};
}

}  // namespace platform::ui
