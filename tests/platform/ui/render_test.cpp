#include "platform/ui/render.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/graphics/image_context.hpp"
#include "platform/ui/image_view.hpp"
#include "platform/ui/screen.hpp"
#include "platform/ui/shape_layer.hpp"
#include "platform/ui/view.hpp"
#include "platform/ui/window.hpp"

using namespace platform::ui;
using platform::graphics::Bitmap;

namespace {

// The colour under a point of the rendering (at scale 2).
Color at(const Bitmap& b, double x, double y) { return b.pixel(int(x * 2), int(y * 2)); }

bool near(const Color& a, const Color& b, double tolerance = 0.02) { return a.isClose(b, tolerance); }

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
    EXPECT_TRUE(near(at(*bitmap, 5, 5), Color::white()));
    EXPECT_TRUE(near(at(*bitmap, 12, 12), Color::white()));   // outside the rounded corner
    EXPECT_TRUE(near(at(*bitmap, 40, 11), Color::red()));     // border along the top edge
    EXPECT_TRUE(near(at(*bitmap, 40, 30), Color::blue()));
    EXPECT_TRUE(near(at(*bitmap, 55, 55), Color::green()));   // the subview, inside
    EXPECT_TRUE(near(at(*bitmap, 68.5, 40), Color::red()));   // the border lies over the subview
    EXPECT_TRUE(near(at(*bitmap, 80, 80), Color::white()));   // clipped away
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
    EXPECT_TRUE(near(at(*bitmap, 13, 13), Color::black()));
    EXPECT_TRUE(near(at(*bitmap, 17, 17), Color::white()));
    EXPECT_TRUE(near(at(*bitmap, 60, 10), Color::white(0.5), 0.03));
    EXPECT_TRUE(near(at(*bitmap, 85, 10), Color::white()));
    EXPECT_TRUE(near(at(*bitmap, 20, 50), Color::blue()));
    EXPECT_TRUE(near(at(*bitmap, 33, 63), Color::black()));  // the shadow, offset
    EXPECT_TRUE(near(at(*bitmap, 50.5, 60), Color::red()));  // the stroked path
    EXPECT_TRUE(near(at(*bitmap, 70, 60), Color::white()));  // no fill
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
    EXPECT_TRUE(near(at(*bitmap, 25, 25), Color::black()));
    EXPECT_EQ(at(*bitmap, 10, 10).a, 0);   // centred, not stretched
    EXPECT_TRUE(near(at(*bitmap, 60, 10), Color::green()));  // stretched and tinted
}

TEST(RenderTest, ARenderingIsAtTheScreensScale) {
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
    EXPECT_EQ(bitmap->width(), 60);
    EXPECT_EQ(bitmap->height(), 30);

    View empty;
    EXPECT_FALSE(render(empty));
    View huge(Rect{0, 0, 1e9, 10});
    EXPECT_FALSE(render(huge));
}

TEST(ScreenTest, BadScalesAndBoundsAreRefused) {
    Screen& screen = Screen::main();
    EXPECT_EQ(screen.bounds(), (Rect{0, 0, 375, 667}));
    EXPECT_EQ(screen.scale(), 2);
    EXPECT_EQ(platform::graphics::defaultScale(), 2);
    screen.setScale(0);
    screen.setScale(std::nan(""));
    screen.setBounds({0, 0, 0, 5});
    screen.setBounds({0, 0, INFINITY, 5});
    EXPECT_EQ(screen.scale(), 2);
    EXPECT_EQ(screen.bounds(), (Rect{0, 0, 375, 667}));
    screen.setScale(3);
    EXPECT_EQ(platform::graphics::defaultScale(), 3);
    screen.setScale(2);
    EXPECT_EQ(Window().frame(), screen.bounds());
}
