#include "vistrel/platform/graphics/geometry.hpp"

#include <algorithm>
#include <cmath>

namespace platform::graphics {

bool Rect::intersects(const Rect& r) const { return intersection(r).has_value(); }

std::optional<Rect> Rect::intersection(const Rect& r) const {
    double x0 = std::max(minX(), r.minX()), x1 = std::min(maxX(), r.maxX());
    double y0 = std::max(minY(), r.minY()), y1 = std::min(maxY(), r.maxY());
    if (x1 <= x0 || y1 <= y0) return std::nullopt;
    return Rect{x0, y0, x1 - x0, y1 - y0};
}

Rect Rect::unionWith(const Rect& r) const {
    double x0 = std::min(minX(), r.minX()), x1 = std::max(maxX(), r.maxX());
    double y0 = std::min(minY(), r.minY()), y1 = std::max(maxY(), r.maxY());
    return {x0, y0, x1 - x0, y1 - y0};
}

Rect Rect::insetBy(double dx, double dy) const {
    Rect s = standardized();
    return {s.origin.x + dx, s.origin.y + dy, std::max(0.0, s.size.width - 2 * dx),
            std::max(0.0, s.size.height - 2 * dy)};
}

Rect Rect::inset(const EdgeInsets& e) const {
    Rect s = standardized();
    return {s.origin.x + e.left, s.origin.y + e.top, std::max(0.0, s.size.width - e.left - e.right),
            std::max(0.0, s.size.height - e.top - e.bottom)};
}

AffineTransform AffineTransform::rotation(double radians) {
    double c = std::cos(radians), s = std::sin(radians);
    return {c, s, -s, c, 0, 0};
}

AffineTransform AffineTransform::concatenating(const AffineTransform& o) const {
    return {a * o.a + b * o.c,         a * o.b + b * o.d,         c * o.a + d * o.c,
            c * o.b + d * o.d,         tx * o.a + ty * o.c + o.tx, tx * o.b + ty * o.d + o.ty};
}

std::optional<AffineTransform> AffineTransform::inverted() const {
    double det = a * d - b * c;
    if (det == 0 || !std::isfinite(det)) return std::nullopt;
    double ia = d / det, ib = -b / det, ic = -c / det, id = a / det;
    return AffineTransform{ia, ib, ic, id, -(tx * ia + ty * ic), -(tx * ib + ty * id)};
}

Rect AffineTransform::apply(const Rect& r) const {
    Point corners[4] = {apply(Point{r.minX(), r.minY()}), apply(Point{r.maxX(), r.minY()}),
                        apply(Point{r.minX(), r.maxY()}), apply(Point{r.maxX(), r.maxY()})};
    double x0 = corners[0].x, x1 = x0, y0 = corners[0].y, y1 = y0;
    for (const Point& p : corners) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

}  // namespace platform::graphics
