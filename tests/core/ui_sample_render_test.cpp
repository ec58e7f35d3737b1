// A small tree drawn with the kit's real icon font: a rounded, bordered card and an icon
// button; the pixels that matter are checked.
#include <gtest/gtest.h>

#include <cstdlib>

#include "kit_fonts.hpp"
#include "vistrel/core/icon_view.hpp"
#include "vistrel/core/view_conveniences.hpp"
#include "vistrel/platform/ui/button.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/window.hpp"

using namespace platform::ui;
using platform::graphics::Bitmap;

namespace {

using UiSampleRenderTest = coretest::KitFontsTest;

const Color kCard = Color::rgba(0.1, 0.3, 0.8);
const Color kBorder = Color::rgba(0.9, 0.1, 0.1);
const Color kStar = Color::rgba(1, 0.8, 0);

struct Sample {
    std::shared_ptr<Window> window = std::make_shared<Window>(Rect{0, 0, 240, 120});
    std::shared_ptr<View> card = std::make_shared<View>(Rect{10, 10, 160, 100});
    std::shared_ptr<Button> star;
    Sample() {
        auto root = std::make_shared<View>();
        root->setBackgroundColor(Color::white());
        window->setRootView(root);
        card->setBackgroundColor(kCard);
        vistrel::setCornerRadius(*card, 16, 4, kBorder);
        root->addSubview(card);
        star = vistrel::barButtonWithIconType(vistrel::VistrelIconType::StarFull, 36, kStar);
        star->setCenter({205, 60});
        root->addSubview(star);
        window->makeKeyAndVisible();
    }
};

Color at(const Bitmap& b, double x, double y) { return b.pixel(int(x * 2), int(y * 2)); }

// Pixels in a rectangle of points close to a colour.
int count(const Bitmap& b, const Rect& r, const Color& c, double tolerance = 0.1) {
    int n = 0;
    for (int y = int(r.minY() * 2); y < int(r.maxY() * 2); ++y)
        for (int x = int(r.minX() * 2); x < int(r.maxX() * 2); ++x)
            if (b.pixel(x, y).isClose(c, tolerance)) ++n;
    return n;
}

}  // namespace

TEST_F(UiSampleRenderTest, TheCardAndTheIconButtonDrawWithTheKitsIconFont) {
    Sample sample;
    ASSERT_EQ(sample.star->titleLabel()->font()->postScriptName, "icomoon");
    auto bitmap = render(*sample.window);
    ASSERT_TRUE(bitmap);
    ASSERT_EQ(bitmap->width(), 480);
    if (const char* out = std::getenv("VISTREL_UI_SAMPLE_PNG")) writePng(*bitmap, out);

    // The card: white outside its rounded corner, its border on the edges, its colour inside.
    for (auto [x, y, colour] : {std::tuple(11.0, 11.0, Color::white()), {90, 11.5, kBorder}, {168.5, 60, kBorder},
                                {90, 80, kCard}, {5, 60, Color::white()}})
        EXPECT_TRUE(at(*bitmap, x, y).isClose(colour, 0.02)) << x << ", " << y;

    // The icon: a filled star in its colour, centred on the button, nothing around it.
    EXPECT_GT(count(*bitmap, {183, 38, 44, 44}, kStar), 500);
    EXPECT_TRUE(at(*bitmap, 205, 60).isClose(kStar, 0.1) && at(*bitmap, 184, 39).isClose(Color::white(), 0.02));
    EXPECT_EQ(count(*bitmap, {120, 0, 60, 30}, kStar), 0);
}
