// The tutorial's four illustrations, light line drawings for a dark background: a phone
// over a printed page, the shutter, the action buttons, the gallery.
#include <array>
#include <cmath>

#include "artwork.hpp"

namespace artwork {

namespace {

constexpr Size kSlideSize{240, 240};
constexpr double kOutline = 4;

Color rgb(unsigned hex, double alpha = 1) {
    return Color::rgba(((hex >> 16) & 0xFF) / 255.0, ((hex >> 8) & 0xFF) / 255.0, (hex & 0xFF) / 255.0, alpha);
}

const Color kPaper = rgb(0xF4F1EA);
const Color kInk = rgb(0x8A8F9C);
const Color kScreen = rgb(0x0B1020, 0.92);
const Color kBlue = rgb(0x2F6FEB);
const Color kYellow = rgb(0xFFC53D);
const Color kRed = rgb(0xE5484D);

// A phone seen from the front; gives the rectangle of its screen.
Rect drawPhone(Canvas& canvas, const Rect& body) {
    canvas.fillRoundedRect(body, 18, kScreen);
    strokeRounded(canvas, body, 18, Color::white(), kOutline);
    Path speaker;
    speaker.moveTo({body.midX() - 10, body.minY() + 12});
    speaker.lineTo({body.midX() + 10, body.minY() + 12});
    canvas.stroke(speaker, Color::white(), 3, platform::graphics::LineCap::round);
    return {body.minX() + 8, body.minY() + 24, body.width() - 16, body.height() - 40};
}

// Grey lines of "text" in a column.
void drawLines(Canvas& canvas, const Rect& column, int lines, double gap) {
    for (int i = 0; i < lines; ++i) {
        const double width = column.width() * (i % 3 == 2 ? 0.6 : 1.0);
        canvas.fillRoundedRect({column.minX(), column.minY() + i * gap, width, 4}, 2, kInk);
    }
}

// A small square of QR-like modules.
void drawCodeMark(Canvas& canvas, const Rect& square) {
    constexpr std::array<unsigned, 7> rows = {0b1110111, 0b1010101, 0b1110111, 0b0001000,
                                              0b1101011, 0b0110110, 0b1011101};
    const double module = square.width() / 7;
    canvas.fill(square, Color::white());
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 7; ++x)
            if (rows[y] >> (6 - x) & 1)
                canvas.fill({square.minX() + x * module, square.minY() + y * module, module, module}, rgb(0x1B1F2A));
}

// Corner brackets of a viewfinder round `frame`.
void drawViewfinder(Canvas& canvas, const Rect& frame, Color color) {
    constexpr double arm = 14;
    Path corners;
    for (auto [x, y, dx, dy] : {std::array<double, 4>{frame.minX(), frame.minY(), 1, 1},
                               std::array<double, 4>{frame.maxX(), frame.minY(), -1, 1},
                               std::array<double, 4>{frame.maxX(), frame.maxY(), -1, -1},
                               std::array<double, 4>{frame.minX(), frame.maxY(), 1, -1}}) {
        corners.moveTo({x + dx * arm, y});
        corners.lineTo({x, y});
        corners.lineTo({x, y + dy * arm});
    }
    canvas.stroke(corners, color, 3, platform::graphics::LineCap::round);
}

void drawPrintedPage(Canvas& canvas, const Rect& page) {
    canvas.fillRoundedRect(page, 4, kPaper);
    canvas.fillRoundedRect({page.minX() + 12, page.minY() + 14, page.width() * 0.55, 8}, 3, rgb(0x3A3F4B));
    drawLines(canvas, {page.minX() + 12, page.minY() + 32, page.width() - 24, 0}, 5, 11);
    const double side = page.width() * 0.32;
    drawCodeMark(canvas, {page.maxX() - side - 12, page.maxY() - side - 12, side, side});
}

void drawPhoneOverPage(Canvas& canvas) {
    canvas.save();
    canvas.concat(platform::graphics::AffineTransform::rotation(-0.12));
    drawPrintedPage(canvas, {20, 70, 140, 170});
    canvas.restore();
    const Rect screen = drawPhone(canvas, {110, 24, 100, 190});
    drawViewfinder(canvas, {screen.minX() + 10, screen.minY() + 30, screen.width() - 20, screen.width() - 20}, kBlue);
    drawCodeMark(canvas, {screen.midX() - 20, screen.minY() + 30 + (screen.width() - 20) / 2 - 20, 40, 40});
}

void drawShutter(Canvas& canvas) {
    const Rect screen = drawPhone(canvas, {66, 16, 108, 208});
    drawViewfinder(canvas, {screen.minX() + 12, screen.minY() + 14, screen.width() - 24, 90}, Color::white());
    const Point centre{screen.midX(), screen.maxY() - 34};
    canvas.stroke(circle(centre, 20), Color::white(), 3);
    canvas.fill(circle(centre, 14), Color::white());
    // Strokes round the button: it is being pressed.
    Path rays;
    for (int i = 0; i < 8; ++i) {
        const double angle = i * M_PI / 4;
        rays.moveTo({centre.x + std::cos(angle) * 26, centre.y + std::sin(angle) * 26});
        rays.lineTo({centre.x + std::cos(angle) * 32, centre.y + std::sin(angle) * 32});
    }
    canvas.stroke(rays, kYellow, 2.5, platform::graphics::LineCap::round);
}

void drawActionButtons(Canvas& canvas) {
    const Rect screen = drawPhone(canvas, {66, 16, 108, 208});
    const std::array<Color, 3> colours = {kBlue, kYellow, kRed};
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const Rect button{screen.minX() + 6, screen.minY() + 40 + double(i) * 44, screen.width() - 12, 32};
        canvas.fillRoundedRect(button, 8, colours[i]);
        canvas.fill(circle({button.minX() + 16, button.midY()}, 7), Color::white());
        canvas.fillRoundedRect({button.minX() + 30, button.midY() - 2.5, button.width() - 44, 5}, 2.5, Color::white());
    }
    // A fingertip on the first button.
    canvas.fill(circle({screen.maxX() - 4, screen.minY() + 64}, 11), rgb(0xF2C6A0));
    canvas.stroke(circle({screen.maxX() - 4, screen.minY() + 64}, 11), Color::white(), 2);
}

Path star(Point centre, double outer, double inner) {
    Path path;
    for (int i = 0; i < 10; ++i) {
        const double angle = -M_PI / 2 + i * M_PI / 5, radius = i % 2 ? inner : outer;
        const Point point{centre.x + std::cos(angle) * radius, centre.y + std::sin(angle) * radius};
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    path.close();
    return path;
}

void drawGallery(Canvas& canvas) {
    const Rect screen = drawPhone(canvas, {66, 16, 108, 208});
    const double gap = 6, width = (screen.width() - 3 * gap) / 2, height = 44;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 2; ++column) {
            const Rect card{screen.minX() + gap + column * (width + gap), screen.minY() + 10 + row * (height + gap),
                            width, height};
            canvas.fillRoundedRect(card, 5, kPaper);
            drawLines(canvas, {card.minX() + 6, card.minY() + 8, card.width() - 12, 0}, 3, 9);
            if (row == 0 && column == 1) canvas.fill(star({card.maxX() - 9, card.maxY() - 9}, 7, 3), kYellow);
        }
    }
}

}  // namespace

bool writeTutorialSlides(const std::filesystem::path& bundle) {
    return writeDrawing(bundle / "tuto_slide_photograph@2x.png", kSlideSize, drawPhoneOverPage) &&
           writeDrawing(bundle / "tuto_slide_shutter@2x.png", kSlideSize, drawShutter) &&
           writeDrawing(bundle / "tuto_slide_actions@2x.png", kSlideSize, drawActionButtons) &&
           writeDrawing(bundle / "tuto_slide_gallery@2x.png", kSlideSize, drawGallery);
}

}  // namespace artwork
