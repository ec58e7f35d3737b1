#include "vistrel/platform/graphics/path.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace platform::graphics {

namespace {

constexpr double twoPi = 2 * std::numbers::pi;

Point pointOnArc(const Path::Arc& arc, double angle) {
    return {arc.center.x + arc.radius * std::cos(angle), arc.center.y + arc.radius * std::sin(angle)};
}

// The swept interval as [from, from + sweep] with sweep >= 0, whatever the direction.
void sweptInterval(const Path::Arc& arc, double& from, double& sweep) {
    double delta = arc.clockwise ? arc.endAngle - arc.startAngle : arc.startAngle - arc.endAngle;
    if (delta >= twoPi) delta = twoPi;
    else if (delta < 0) delta = std::fmod(delta, twoPi) + twoPi;
    sweep = delta;
    from = arc.clockwise ? arc.startAngle : arc.startAngle - delta;
}

struct Bounds {
    bool any = false;
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    void add(Point p) {
        if (!any) {
            minX = maxX = p.x;
            minY = maxY = p.y;
            any = true;
            return;
        }
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
};

}  // namespace

void Path::addArc(Point center, double radius, double startAngle, double endAngle, bool clockwise) {
    elements_.push_back(Arc{center, radius, startAngle, endAngle, clockwise});
}

void Path::addRect(const Rect& rect) {
    Rect r = rect.standardized();
    moveTo({r.minX(), r.minY()});
    lineTo({r.maxX(), r.minY()});
    lineTo({r.maxX(), r.maxY()});
    lineTo({r.minX(), r.maxY()});
    close();
}

void Path::addRoundedRect(const Rect& rect, double cornerRadius) {
    Rect r = rect.standardized();
    double radius = std::min({cornerRadius, r.width() / 2, r.height() / 2});
    if (!(radius > 0)) {
        addRect(r);
        return;
    }
    constexpr double half = std::numbers::pi / 2;
    moveTo({r.minX() + radius, r.minY()});
    addArc({r.maxX() - radius, r.minY() + radius}, radius, -half, 0, true);
    addArc({r.maxX() - radius, r.maxY() - radius}, radius, 0, half, true);
    addArc({r.minX() + radius, r.maxY() - radius}, radius, half, 2 * half, true);
    addArc({r.minX() + radius, r.minY() + radius}, radius, 2 * half, 3 * half, true);
    close();
}

Rect Path::boundingBox() const {
    Bounds bounds;
    for (const Element& element : elements_) {
        if (auto* move = std::get_if<MoveTo>(&element)) bounds.add(move->point);
        else if (auto* line = std::get_if<LineTo>(&element)) bounds.add(line->point);
        else if (auto* arc = std::get_if<Arc>(&element)) {
            double from = 0, sweep = 0;
            sweptInterval(*arc, from, sweep);
            bounds.add(pointOnArc(*arc, from));
            bounds.add(pointOnArc(*arc, from + sweep));
            // The extremes on the axes that the sweep passes.
            double first = std::ceil(from / (std::numbers::pi / 2));
            for (double k = first; k * (std::numbers::pi / 2) <= from + sweep && k < first + 4; ++k)
                bounds.add(pointOnArc(*arc, k * (std::numbers::pi / 2)));
        }
    }
    if (!bounds.any) return {};
    return {bounds.minX, bounds.minY, bounds.maxX - bounds.minX, bounds.maxY - bounds.minY};
}

}  // namespace platform::graphics
