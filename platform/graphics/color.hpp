#pragma once
// Colours as red, green, blue and alpha doubles, not clamped (0...1 is the usual range).
namespace platform::graphics {

struct Color {
    double red = 0, green = 0, blue = 0, alpha = 0;

    static Color rgba(double r, double g, double b, double a = 1) { return {r, g, b, a}; }
    static Color white(double w, double a = 1) { return {w, w, w, a}; }

    static Color clear() { return {0, 0, 0, 0}; }
    static Color black() { return {0, 0, 0, 1}; }
    static Color white() { return {1, 1, 1, 1}; }
    static Color gray() { return {0.5, 0.5, 0.5, 1}; }
    static Color lightGray() { return {2.0 / 3, 2.0 / 3, 2.0 / 3, 1}; }
    static Color darkGray() { return {1.0 / 3, 1.0 / 3, 1.0 / 3, 1}; }
    static Color red() { return {1, 0, 0, 1}; }
    static Color green() { return {0, 1, 0, 1}; }
    static Color blue() { return {0, 0, 1, 1}; }
    static Color yellow() { return {1, 1, 0, 1}; }

    Color withAlpha(double a) const { return {red, green, blue, a}; }

    // Equal within a small tolerance per component (colours pass through 8-bit pixels).
    bool isClose(const Color& other, double tolerance = 1.0 / 512) const;
    friend bool operator==(const Color& a, const Color& b) { return a.isClose(b); }
};

}  // namespace platform::graphics
