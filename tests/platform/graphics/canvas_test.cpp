#include "vistrel/platform/graphics/canvas.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "vistrel/platform/graphics/font_configuration.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"

using namespace platform::graphics;

namespace {

// A transparent bitmap of the given size in points at `scale`, with a canvas over it.
struct Drawing {
    Bitmap bitmap;
    std::unique_ptr<Canvas> canvas;
    Drawing(int widthPoints, int heightPoints, double scale = 2)
        : bitmap(*Bitmap::make(int(widthPoints * scale), int(heightPoints * scale))),
          canvas(std::make_unique<Canvas>(bitmap, scale)) {}
    // The colour of the pixel under a point, and under each of several points.
    Color at(double x, double y) const { return bitmap.pixel(int(x * canvas->scale()), int(y * canvas->scale())); }
    std::vector<Color> at(std::initializer_list<Point> points) const {
        std::vector<Color> colours;
        for (Point p : points) colours.push_back(at(p.x, p.y));
        return colours;
    }
    int opaquePixels(const Rect& points) const {
        int count = 0;
        double s = canvas->scale();
        for (int y = int(points.minY() * s); y < int(points.maxY() * s); ++y)
            for (int x = int(points.minX() * s); x < int(points.maxX() * s); ++x)
                if (bitmap.pixel(x, y).a > 0.5) ++count;
        return count;
    }
};

using Colours = std::vector<Color>;
const Color red = Color::red(), blue = Color::blue(), white = Color::white(), clear = Color::clear();

}  // namespace

TEST(CanvasTest, BorderLiesInsideTheBounds) {
    Drawing d(40, 40);
    d.canvas->fill(Rect(0, 0, 40, 40), Color::white());
    d.canvas->strokeRoundedRect(Rect(0, 0, 40, 40), 8, 3, Color::blue());
    EXPECT_EQ(d.at({{0.25, 20}, {2.75, 20}, {3.25, 20}, {20, 39.75}, {20, 20}}),
              (Colours{blue, blue, white, blue, white}));
    // A border wider than half the box fills it.
    Drawing thick(10, 10);
    thick.canvas->strokeRoundedRect(Rect(0, 0, 10, 10), 0, 6, Color::green());
    EXPECT_EQ(thick.at(5, 5), Color::green());
}

TEST(CanvasTest, TransformsClipsAndSaveRestore) {
    Drawing d(20, 20, 1);
    d.canvas->save();
    d.canvas->translate(10, 10);
    d.canvas->clip(Rect(0, 0, 5, 5));
    d.canvas->fill(Rect(-10, -10, 100, 100), Color::red());
    d.canvas->restore();
    EXPECT_EQ(d.at({{12, 12}, {16, 12}, {5, 5}}), (Colours{red, clear, clear}));
    // After the restore the clip is gone.
    d.canvas->fill(Rect(0, 0, 2, 2), Color::blue());
    EXPECT_EQ(d.at(1, 1), Color::blue());
}

TEST(CanvasTest, SingularTransformsAndUnbalancedCallsDoNotBreakTheCanvas) {
    Drawing d(10, 10, 1);
    d.canvas->save();
    d.canvas->concat(AffineTransform::scale(0, 0));  // a view scaled to nothing
    d.canvas->fill(Rect(0, 0, 10, 10), Color::red());
    d.canvas->translate(std::nan(""), 1);
    d.canvas->restore();
    EXPECT_EQ(d.at(5, 5), Color::clear());

    d.canvas->restore();               // no save
    d.canvas->endTransparencyLayer();  // no layer
    d.canvas->endShadow();
    d.canvas->fill(Rect(0, 0, 10, 10), Color::blue());
    EXPECT_EQ(d.at(5, 5), Color::blue());
    d.canvas->fill(Rect(0, 0, std::numeric_limits<double>::infinity(), 1), Color::red());
    d.canvas->draw(*Image::make(*Bitmap::make(1, 1)), Rect(0, 0, 0, 10));  // nothing to draw into
    EXPECT_EQ(d.at(5, 0), Color::blue());
}

TEST(CanvasTest, TransparencyLayerComposesItsContentAsOne) {
    Drawing d(20, 10, 1);
    d.canvas->beginTransparencyLayer(0.5);
    d.canvas->fill(Rect(0, 0, 15, 10), Color::red());
    d.canvas->fill(Rect(5, 0, 15, 10), Color::red());
    d.canvas->endTransparencyLayer();
    // The overlap is no darker than the rest.
    EXPECT_EQ(d.at({{2, 5}, {10, 5}}), Colours(2, Color::rgba(1, 0, 0, 128 / 255.0)));
}

TEST(CanvasTest, TextIsDrawnFromTheTopOfItsRect) {
    useIsolatedFontConfiguration();
    Drawing d(100, 60);
    auto font = FontRegistry::shared().defaultFont(20);
    ASSERT_TRUE(font);
    d.canvas->drawText(makeAttributedString("Hello", font, Color::blue()), Rect(10, 10, 80, 40));
    double lineHeight = measureText(makeAttributedString("Hello", font)).height;
    EXPECT_GT(d.opaquePixels(Rect(10, 10, 80, lineHeight)), 40);
    EXPECT_EQ(d.opaquePixels(Rect(0, 0, 100, 10)), 0) << "nothing above the rect";
    EXPECT_EQ(d.opaquePixels(Rect(0, 10 + lineHeight + 1, 100, 60 - 11 - lineHeight)), 0) << "nor below the line";
    // The strokes take the text's colour.
    bool blue = false;
    for (int y = 20; y < 2 * (10 + int(lineHeight)) && !blue; ++y)
        for (int x = 20; x < 180 && !blue; ++x) blue = d.bitmap.pixel(x, y) == Color::blue();
    EXPECT_TRUE(blue);
}


TEST(CanvasTest, LongRightToLeftParagraphKeepsItsDirectionOnEveryLine) {
    // A paragraph that starts in Hebrew reads right to left, and its lines sit on the
    // right, down to its end, though most of its words, and long stretches of it, are
    // in Latin letters.
    useIsolatedFontConfiguration();
    const Font font = *FontRegistry::shared().defaultFont(10);
    std::string text = "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D";
    const char* words[] = {" alpha", " be", " gamma", " delta", " epsilonic", " z"};
    for (int i = 0; text.size() < 6000; ++i) text += words[i % 6];
    const AttributedString paragraph = makeAttributedString(text, font);
    const TextLayoutOptions options{.maxWidth = 300};
    const double height = measureText(paragraph, options).height;
    const double lineHeight = measureText(makeAttributedString("a", font), options).height;
    Drawing d(320, int(height) + 20, 1);
    d.canvas->drawText(paragraph, {10, 10, 300, height}, options);
    const int lines = int(std::lround(height / lineHeight));
    int onTheRight = 0;
    for (int line = 0; line < lines; ++line)
        onTheRight += d.opaquePixels({300, 10 + line * lineHeight + 2, 10, lineHeight - 4}) > 0;
    EXPECT_GT(lines, 100);
    EXPECT_EQ(onTheRight, lines);
}

TEST(CanvasTest, LongParagraphKeepsWhatItsControlsOpenOnEveryLine) {
    // Words of a tall letter and low dots: on a line read left to right, its leftmost ink
    // is the tall letter; on one read right to left, a dot. Paragraphs far longer
    // than the engine lays out at once, whose controls open an override (alone, inside an
    // isolate, inside an embedding) before their first word and close it halfway through.
    // (The last line is left out: in a paragraph that reads right to left, its last dots
    // go to the left.)
    useIsolatedFontConfiguration();
    const Font font = *FontRegistry::shared().defaultFont(10);
    const std::string word = "M...... ";
    auto words = [&](int count) {
        std::string out;
        for (int i = 0; i < count; ++i) out += word;
        return out;
    };
    const double lineHeight = measureText(makeAttributedString("M", font)).height;
    const double letterWidth = measureText(makeAttributedString("M", font)).width;
    const TextLayoutOptions options{.maxWidth = 300};
    struct Row {
        const char* what;
        std::string open, close;
    };
    const std::vector<Row> rows = {
        {"an override", "\u202E", "\u202C"},
        {"an override in an isolate", "\u2067\u202E", "\u2069"},
        {"an override in an embedding", "\u202A\u202E", "\u202C\u202C"},
    };
    const int count = 1500;  // about 12 KB before the close, 12 KB after
    for (const Row& row : rows) {
        const AttributedString paragraph =
            makeAttributedString(row.open + words(count) + row.close + words(count), font);
        const double height = measureText(paragraph, options).height;
        const int lines = int(std::lround(height / lineHeight));
        Drawing d(320, int(height) + 20);
        d.canvas->drawText(paragraph, {10, 10, 300, height}, options);
        // Whether the line's leftmost ink has ink in the upper part of the line too.
        auto tallOnTheLeft = [&](int line) {
            const double top = 10 + line * lineHeight;
            double left = 0;
            while (left < 320 && d.opaquePixels({left, top, 0.5, lineHeight}) == 0) left += 0.5;
            return d.opaquePixels({left, top + lineHeight * 0.15, letterWidth / 2, lineHeight * 0.3}) > 0;
        };
        int rightToLeft = 0, leftToRight = 0;
        for (int line = 0; line < lines / 2 - 2; ++line) rightToLeft += !tallOnTheLeft(line);
        for (int line = lines / 2 + 2; line < lines - 1; ++line) leftToRight += tallOnTheLeft(line);
        EXPECT_GT(lines, 100) << row.what;
        EXPECT_EQ(rightToLeft, lines / 2 - 2) << row.what;
        EXPECT_EQ(leftToRight, lines - 1 - (lines / 2 + 2)) << row.what;
    }
}
