#pragma once
// Points, sizes, rectangles, insets and 2-D affine transforms, in points.
#include <optional>

namespace platform::graphics {

struct Point {
    double x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0, height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct EdgeInsets {
    double top = 0, left = 0, bottom = 0, right = 0;
    friend bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};

struct Rect {
    Point origin;
    Size size;

    Rect() = default;
    Rect(Point o, Size s) : origin(o), size(s) {}
    Rect(double x, double y, double w, double h) : origin{x, y}, size{w, h} {}

    double minX() const { return size.width < 0 ? origin.x + size.width : origin.x; }
    double maxX() const { return size.width < 0 ? origin.x : origin.x + size.width; }
    double minY() const { return size.height < 0 ? origin.y + size.height : origin.y; }
    double maxY() const { return size.height < 0 ? origin.y : origin.y + size.height; }
    double midX() const { return (minX() + maxX()) / 2; }
    double midY() const { return (minY() + maxY()) / 2; }
    double width() const { return maxX() - minX(); }
    double height() const { return maxY() - minY(); }
    bool isEmpty() const { return size.width == 0 || size.height == 0; }

    // Half-open: the maximum edges are outside.
    bool contains(Point p) const { return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY(); }
    bool intersects(const Rect& r) const;
    std::optional<Rect> intersection(const Rect& r) const;
    Rect unionWith(const Rect& r) const;
    Rect offsetBy(double dx, double dy) const { return {origin.x + dx, origin.y + dy, size.width, size.height}; }
    Rect insetBy(double dx, double dy) const;
    Rect inset(const EdgeInsets& insets) const;
    // With positive width and height.
    Rect standardized() const { return {minX(), minY(), width(), height()}; }

    friend bool operator==(const Rect&, const Rect&) = default;
};

// | a  b  0 |
// | c  d  0 |   x' = a*x + c*y + tx,  y' = b*x + d*y + ty
// | tx ty 1 |
struct AffineTransform {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static AffineTransform identity() { return {}; }
    static AffineTransform translation(double tx, double ty) { return {1, 0, 0, 1, tx, ty}; }
    static AffineTransform scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
    static AffineTransform rotation(double radians);

    bool isIdentity() const { return *this == AffineTransform{}; }
    // This transform followed by `other`.
    AffineTransform concatenating(const AffineTransform& other) const;
    AffineTransform translatedBy(double tx, double ty) const { return translation(tx, ty).concatenating(*this); }
    AffineTransform scaledBy(double sx, double sy) const { return scale(sx, sy).concatenating(*this); }
    AffineTransform rotatedBy(double radians) const { return rotation(radians).concatenating(*this); }
    // None when the transform cannot be inverted.
    std::optional<AffineTransform> inverted() const;

    Point apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
    Size apply(Size s) const { return {a * s.width + c * s.height, b * s.width + d * s.height}; }
    // The smallest rectangle holding the transformed corners.
    Rect apply(const Rect& r) const;

    friend bool operator==(const AffineTransform&, const AffineTransform&) = default;
};

}  // namespace platform::graphics
