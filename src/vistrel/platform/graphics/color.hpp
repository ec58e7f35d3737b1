#pragma once
// Colours as red, green, blue and alpha doubles, not clamped (0...1 is the usual range).
namespace platform::graphics {

struct Color {
    double r = 0, g = 0, b = 0, a = 0;

    static Color rgba(double red, double green, double blue, double alpha = 1) {
        return {red, green, blue, alpha};
    }
    static Color white(double w, double alpha = 1) { return {w, w, w, alpha}; }

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

    Color withAlpha(double alpha) const { return {r, g, b, alpha}; }

    // Equal within a small tolerance per component (colours pass through 8-bit pixels).
    bool isClose(const Color& other, double tolerance = 1.0 / 512) const;
    friend bool operator==(const Color& x, const Color& y) { return x.isClose(y); }
};

}  // namespace platform::graphics
