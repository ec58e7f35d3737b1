// A phone photo of a printed page lying on a desk: a title, paragraphs of text and a QR
// code, the page a little turned, in its shadow, with sensor grain over everything.
#include <qrencode.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "artwork.hpp"
#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/graphics/jpeg_encoding.hpp"

namespace artwork {

namespace {

constexpr int kPhotoWidth = 900, kPhotoHeight = 1200;
const Rect kPage{100, 105, 700, 990};
constexpr double kTurn = 0.035;  // radians, clockwise
constexpr int kQuietModules = 4;
constexpr double kCodeSide = 250;

const Color kInk = Color::rgba(0.12, 0.12, 0.15);

platform::graphics::AttributedString styled(std::string text, double size, Color colour) {
    platform::graphics::TextAttributes attributes;
    attributes.font = platform::graphics::FontRegistry::shared().defaultFont(size);
    attributes.foregroundColor = colour;
    return platform::graphics::AttributedString(std::move(text), attributes);
}

// The code's dark modules, the quiet zone included in `side`.
bool drawCode(Canvas& canvas, const char* address, Point origin, double side) {
    std::unique_ptr<QRcode, decltype(&QRcode_free)> code(QRcode_encodeString(address, 0, QR_ECLEVEL_M, QR_MODE_8, 1),
                                                          QRcode_free);
    if (!code) return false;
    const double module = side / (code->width + 2 * kQuietModules);
    canvas.fill({origin.x, origin.y, side, side}, Color::white());
    Path dark;
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x)
            if (code->data[y * code->width + x] & 1)
                dark.addRect({origin.x + (x + kQuietModules) * module, origin.y + (y + kQuietModules) * module, module,
                              module});
    canvas.fill(dark, kInk);
    return true;
}

bool drawPage(Canvas& canvas, const char* address) {
    const double left = kPage.minX() + 60, width = kPage.width() - 120;
    canvas.fill(kPage, Color::rgba(0.97, 0.96, 0.93));
    platform::graphics::TextLayoutOptions options;
    options.maxWidth = width;
    auto title = styled("Harbour Spring Market", 40, kInk);
    const double titleHeight = platform::graphics::measureText(title, options).height;
    canvas.drawText(title, {left, kPage.minY() + 70, width, titleHeight}, options);
    double y = kPage.minY() + 70 + titleHeight + 12;
    canvas.fill({left, y, width, 3}, kInk);
    y += 30;
    const char* paragraphs[] = {
        "Every Saturday in April, stalls line the old quay from nine in the morning until the last boat "
        "comes in. Growers, bakers and makers from the whole coast bring what the season gives.",
        "This year the market adds a covered hall for rainy days, a children's corner with stories at "
        "eleven, and a bicycle park by the fish auction.",
        "Scan the code to see the map of the stalls, the programme of each weekend and how to book a "
        "table of your own."};
    for (const char* paragraph : paragraphs) {
        auto text = styled(paragraph, 21, Color::rgba(0.2, 0.2, 0.24));
        const double height = platform::graphics::measureText(text, options).height;
        canvas.drawText(text, {left, y, width, height}, options);
        y += height + 22;
    }
    const Point code{kPage.maxX() - 60 - kCodeSide, kPage.maxY() - 70 - kCodeSide};
    canvas.drawText(styled("Map and programme", 24, kInk), {left, code.y + 80, width - kCodeSide - 20, 40});
    canvas.drawText(styled("harbour market, quay 3", 18, Color::rgba(0.35, 0.35, 0.4)),
                    {left, code.y + 120, width - kCodeSide - 20, 30});
    return drawCode(canvas, address, code, kCodeSide);
}

// Grain: a small, deterministic wobble of every channel.
void addGrain(platform::graphics::Bitmap& bitmap) {
    std::uint32_t state = 2463534242u;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    std::uint32_t* pixel = bitmap.data();
    for (int i = 0; i < bitmap.width() * bitmap.height(); ++i, ++pixel) {
        const int shift = int(next() % 13) - 6;
        std::uint32_t value = *pixel & 0xFF000000u;
        for (int channel = 0; channel < 3; ++channel) {
            const int level = int((*pixel >> (8 * channel)) & 0xFF) + shift;
            value |= std::uint32_t(std::clamp(level, 0, 255)) << (8 * channel);
        }
        *pixel = value;
    }
}

}  // namespace

bool writeSamplePage(const std::filesystem::path& file, const char* address) {
    auto bitmap = platform::graphics::Bitmap::make(kPhotoWidth, kPhotoHeight);
    if (!bitmap) return false;
    bool drawn = false;
    {
        Canvas canvas(*bitmap, 1);
        // A desk a little darker than the paper, lit from the top left.
        canvas.fillLinearGradient({0, 0, kPhotoWidth, kPhotoHeight},
                                  {{0, Color::rgba(0.62, 0.58, 0.53)}, {1, Color::rgba(0.42, 0.39, 0.35)}}, {0, 0},
                                  {kPhotoWidth, kPhotoHeight});
        canvas.save();
        canvas.translate(kPage.midX(), kPage.midY());
        canvas.concat(platform::graphics::AffineTransform::rotation(kTurn));
        canvas.translate(-kPage.midX(), -kPage.midY());
        canvas.beginShadow(Color::rgba(0, 0, 0, 0.35), {8, 10});
        drawn = drawPage(canvas, address);
        canvas.endShadow();
        canvas.restore();
    }
    if (!drawn) return false;
    addGrain(*bitmap);
    auto image = platform::graphics::Image::make(std::move(*bitmap));
    auto jpeg = image ? platform::graphics::encodeJpeg(*image, 0.88) : std::nullopt;
    if (!jpeg) return false;
    std::ofstream out(file, std::ios::binary);
    out.write(jpeg->data(), std::streamsize(jpeg->size()));
    return bool(out);
}

}  // namespace artwork
