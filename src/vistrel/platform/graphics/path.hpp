#pragma once
// A vector path in points: sub-paths of lines and circular arcs.
#include <variant>
#include <vector>

#include "vistrel/platform/graphics/geometry.hpp"

namespace platform::graphics {

class Path {
public:
    struct MoveTo { Point point; };
    struct LineTo { Point point; };
    // Angles in radians from the positive x axis; with y pointing down, `clockwise`
    // sweeps from start to end through increasing angles.
    struct Arc {
        Point center;
        double radius = 0;
        double startAngle = 0;
        double endAngle = 0;
        bool clockwise = true;
    };
    struct Close {};
    using Element = std::variant<MoveTo, LineTo, Arc, Close>;

    void moveTo(Point point) { elements_.push_back(MoveTo{point}); }
    void lineTo(Point point) { elements_.push_back(LineTo{point}); }
    // Joins the current point (if any) to the arc's start with a line, then the arc.
    void addArc(Point center, double radius, double startAngle, double endAngle, bool clockwise);
    void addRect(const Rect& rect);
    // Corner radius cut to half the shorter side; a radius <= 0 gives a plain rectangle.
    void addRoundedRect(const Rect& rect, double cornerRadius);
    void close() { elements_.push_back(Close{}); }

    bool isEmpty() const { return elements_.empty(); }
    const std::vector<Element>& elements() const { return elements_; }

    // The smallest rectangle holding every point the path passes through (arcs
    // included, control points excluded); a zero rectangle for an empty path.
    Rect boundingBox() const;

private:
    std::vector<Element> elements_;
};

}  // namespace platform::graphics
