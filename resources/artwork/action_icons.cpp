// The sample answer's action icons, which the demo's loopback service serves: white
// line drawings for the coloured rows of the action list.
#include <cmath>

#include "artwork.hpp"

namespace artwork {

namespace {

constexpr Size kActionIconSize{24, 24};
constexpr double kLine = 2;
const Color kInk = Color::white();

void drawGlobe(Canvas& canvas) {
    canvas.stroke(circle({12, 12}, 9), kInk, kLine);
    Path lines;
    lines.moveTo({3, 12});
    lines.lineTo({21, 12});
    lines.moveTo({12, 3});
    lines.lineTo({12, 21});
    canvas.stroke(lines, kInk, 1.5);
    // The meridians: two arcs through the poles.
    Path meridians;
    meridians.addArc({4, 12}, 12.04, -0.84, 0.84, true);
    meridians.moveTo({12 + 8 * std::cos(M_PI - 0.84), 12 + 8 * std::sin(M_PI - 0.84)});
    meridians.addArc({20, 12}, 12.04, M_PI - 0.84, M_PI + 0.84, true);
    canvas.stroke(meridians, kInk, 1.5);
}

void drawCalendar(Canvas& canvas) {
    strokeRounded(canvas, {4, 5, 16, 15}, 2.5, kInk, kLine);
    canvas.fill(Rect{4, 5, 16, 4.5}, kInk);
    Path rings;
    rings.moveTo({8.5, 3});
    rings.lineTo({8.5, 7});
    rings.moveTo({15.5, 3});
    rings.lineTo({15.5, 7});
    canvas.stroke(rings, kInk, kLine, platform::graphics::LineCap::round);
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 3; ++column)
            canvas.fill(Rect{7.5 + column * 3.5, 12 + row * 3.5, 2, 2}, kInk);
}

void drawPin(Canvas& canvas) {
    Path pin;
    pin.addArc({12, 9.5}, 6, M_PI * 0.8, M_PI * 2.2, true);
    pin.lineTo({12, 21.5});
    pin.close();
    canvas.stroke(pin, kInk, kLine);
    canvas.fill(circle({12, 9.5}, 2.2), kInk);
}

void drawPhone(Canvas& canvas) {
    strokeRounded(canvas, {7, 2.5, 10, 19}, 2.5, kInk, kLine);
    Path speaker;
    speaker.moveTo({10.5, 5.5});
    speaker.lineTo({13.5, 5.5});
    canvas.stroke(speaker, kInk, 1.5, platform::graphics::LineCap::round);
    canvas.fill(circle({12, 18}, 1.3), kInk);
}

}  // namespace

bool writeActionIcons(const std::filesystem::path& folder) {
    return writeDrawing(folder / "web.png", kActionIconSize, drawGlobe) &&
           writeDrawing(folder / "calendar.png", kActionIconSize, drawCalendar) &&
           writeDrawing(folder / "map.png", kActionIconSize, drawPin) &&
           writeDrawing(folder / "phone.png", kActionIconSize, drawPhone);
}

}  // namespace artwork
