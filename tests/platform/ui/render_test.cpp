#include "vistrel/platform/ui/render.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "vistrel/platform/graphics/image_context.hpp"
#include "vistrel/platform/ui/image_view.hpp"
#include "vistrel/platform/ui/screen.hpp"
#include "vistrel/platform/ui/shape_layer.hpp"
#include "vistrel/platform/ui/view.hpp"
#include "vistrel/platform/ui/window.hpp"

using namespace platform::ui;
using platform::graphics::Bitmap;

namespace {

// The colour under a point of the rendering (at scale 2).
Color at(const Bitmap& b, double x, double y) { return b.pixel(int(x * 2), int(y * 2)); }

bool near(const Color& a, const Color& b, double tolerance = 0.02) { return a.isClose(b, tolerance); }

struct Sample {
    double x, y;
    Color colour;
    double tolerance = 0.02;
};

// Whether the rendering (at scale 2) shows each colour at its point; names the points that differ.
::testing::AssertionResult shows(const Bitmap& b, std::initializer_list<Sample> samples) {
    auto result = ::testing::AssertionSuccess();
    bool ok = true;
    for (const Sample& s : samples)
        if (!near(at(b, s.x, s.y), s.colour, s.tolerance)) {
            if (ok) result = ::testing::AssertionFailure() << "wrong colour at";
            ok = false;
            result << " (" << s.x << ", " << s.y << ")";
        }
    return result;
}

const Color white = Color::white(), red = Color::red(), blue = Color::blue(), green = Color::green(),
            black = Color::black();

// A subview of `parent` filled with a colour.
std::shared_ptr<View> box(View& parent, const Rect& frame, const Color& color) {
    auto view = std::make_shared<View>(frame);
    view->setBackgroundColor(color);
    parent.addSubview(view);
    return view;
}

}  // namespace

TEST(RenderTest, BackgroundsCornersBordersAndClipping) {
    View root(Rect{0, 0, 100, 100});
    root.setBackgroundColor(Color::white());
    auto card = box(root, Rect{10, 10, 60, 60}, Color::blue());
    card->layer().setCornerRadius(20);
    card->layer().setBorderWidth(4);
    card->layer().setBorderColor(Color::red());
    card->setClipsToBounds(true);
    box(*card, Rect{40, 40, 60, 60}, Color::green());  // sticks out of the card

    auto bitmap = render(root, 2);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->width(), 200);
    // Outside the card; outside its rounded corner; its border along the top edge; the card;
    // the subview, inside; the border lying over the subview; the subview clipped away.
    EXPECT_TRUE(shows(*bitmap, {{5, 5, white}, {12, 12, white}, {40, 11, red}, {40, 30, blue}, {55, 55, green},
                                {68.5, 40, red}, {80, 80, white}}));
}

TEST(RenderTest, TransformsAlphaHiddenShadowsAndShapes) {
    View root(Rect{0, 0, 100, 100});
    root.setBackgroundColor(Color::white());

    box(root, Rect{0, 0, 10, 10}, Color::black())->setTransform(AffineTransform::scale(2, 2));  // 20 x 20 around (5, 5)
    box(root, Rect{50, 0, 20, 20}, Color::black())->setAlpha(0.5);
    box(root, Rect{75, 0, 20, 20}, Color::black())->setHidden(true);
    auto shadowed = box(root, Rect{10, 40, 20, 20}, Color::blue());
    shadowed->layer().setShadowOpacity(1);
    shadowed->layer().setShadowOffset({5, 5});

    auto shape = std::make_shared<ShapeLayer>();
    shape->setFrame({50, 40, 40, 40});
    Path path;
    path.addRect({0, 0, 40, 40});
    shape->setPath(path);
    shape->setFillColor(std::nullopt);
    shape->setStrokeColor(Color::red());
    shape->setLineWidth(4);
    root.layer().addSublayer(shape);

    auto bitmap = render(root, 2);
    ASSERT_TRUE(bitmap);
    // The scaled box and beyond it; the half-transparent box; the hidden one; the shadowed box
    // and its shadow, offset; the stroked path, with no fill.
    EXPECT_TRUE(shows(*bitmap, {{13, 13, black}, {17, 17, white}, {60, 10, Color::white(0.5), 0.03}, {85, 10, white},
                                {20, 50, blue}, {33, 63, black}, {50.5, 60, red}, {70, 60, white}}));
}

TEST(RenderTest, TemplateImagesTakeTheTintAndContentModesPlaceImages) {
    auto pixels = *Bitmap::make(10, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) pixels.setPixel(x, y, Color::black());
    auto image = *Image::make(pixels, 1);

    View root(Rect{0, 0, 100, 50});
    auto plain = std::make_shared<ImageView>(Rect{0, 0, 50, 50});
    plain->setImage(image);
    plain->setContentMode(ContentMode::center);
    auto tinted = std::make_shared<ImageView>(Rect{50, 0, 50, 50});
    tinted->setImage(image.withRenderingMode(platform::graphics::RenderingMode::alwaysTemplate));
    tinted->setTintColor(Color::green());
    root.addSubview(plain);
    root.addSubview(tinted);

    auto bitmap = render(root, 2);
    ASSERT_TRUE(bitmap);
    // The plain image centred, not stretched; the template stretched and tinted.
    EXPECT_TRUE(shows(*bitmap, {{25, 25, black}, {10, 10, Color::clear(), 0}, {60, 10, green}}));
}

TEST(RenderTest, ARenderingIsAtTheScreensScaleWhichRefusesBadValues) {
    Screen::main().setScale(3);
    auto window = std::make_shared<Window>(Rect{0, 0, 20, 10});
    window->setBackgroundColor(Color::red());
    auto hiddenRendering = render(*window);
    ASSERT_TRUE(hiddenRendering);
    EXPECT_EQ(hiddenRendering->pixel(5, 5).a, 0);  // a window not shown yet shows nothing
    window->makeKeyAndVisible();
    auto bitmap = render(*window);
    Screen::main().setScale(2);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(std::tuple(bitmap->width(), bitmap->height()), std::tuple(60, 30));

    View empty;
    EXPECT_FALSE(render(empty));
    View huge(Rect{0, 0, 1e9, 10});
    EXPECT_FALSE(render(huge));

    // The screen refuses scales and bounds it cannot have.
    Screen& screen = Screen::main();
    for (double scale : {0.0, std::nan("")}) screen.setScale(scale);
    for (double width : {0.0, double(INFINITY)}) screen.setBounds({0, 0, width, 5});
    EXPECT_EQ(std::tuple(screen.scale(), screen.bounds()), std::tuple(2, Rect{0, 0, 375, 667}));
    screen.setScale(3);
    EXPECT_EQ(platform::graphics::defaultScale(), 3);
    screen.setScale(2);
}
