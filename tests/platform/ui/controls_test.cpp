#include <gtest/gtest.h>

#include <cmath>

#include "platform/graphics/font_configuration.hpp"
#include "platform/graphics/font_registry.hpp"
#include "platform/ui/bar_button_item.hpp"
#include "platform/ui/button.hpp"
#include "platform/ui/content_mode.hpp"
#include "platform/ui/image_view.hpp"
#include "platform/ui/label.hpp"
#include "platform/ui/screen.hpp"

using namespace platform::ui;
using platform::graphics::Bitmap;
using platform::graphics::FontRegistry;

namespace {

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override { platform::graphics::useIsolatedFontConfiguration(); }
};

Image solidImage(int w, int h, double scale = 1) {
    auto bitmap = *Bitmap::make(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) bitmap.setPixel(x, y, Color::red());
    return *Image::make(std::move(bitmap), scale);
}

bool onPixelGrid(double v) {
    const double scaled = v * Screen::main().scale();
    return std::fabs(scaled - std::round(scaled)) < 1e-9;
}

}  // namespace

TEST_F(ControlsTest, ALabelFitsItsTextOnWholePixelsAndWrapsOnlyWithMoreThanOneLine) {
    Label label;
    EXPECT_EQ(label.sizeThatFits({100, 100}), (Size{0, 0}));
    label.setText("several words that will not fit on one short line");
    label.setFont(FontRegistry::shared().defaultFont(14));
    const Size oneLine = label.sizeThatFits({100, 1000});
    EXPECT_GT(oneLine.width, 100);  // a single line measures its whole width
    EXPECT_TRUE(onPixelGrid(oneLine.width) && onPixelGrid(oneLine.height));

    label.setNumberOfLines(0);
    const Size all = label.sizeThatFits({100, 1000});
    EXPECT_LE(all.width, 100);
    EXPECT_GT(all.height, 2.5 * oneLine.height);
    label.setNumberOfLines(2);
    EXPECT_NEAR(label.sizeThatFits({100, 1000}).height, 2 * oneLine.height, 1);
    // The height offered plays no part, however large.
    EXPECT_EQ(label.sizeThatFits({100, std::numeric_limits<double>::max()}), label.sizeThatFits({100, 1}));

    label.setFrame({3, 4, 100, 100});
    label.sizeToFit();
    EXPECT_EQ(label.frame().origin, (Point{3, 4}));
    EXPECT_NEAR(label.frame().size.height, 2 * oneLine.height, 1);
}

TEST_F(ControlsTest, ALabelsAttributedTextTakesWhatItsRunsLeaveFromTheLabel) {
    Label label;
    label.setTextColor(Color::blue());
    EXPECT_EQ(label.attributedText(), std::nullopt);
    label.setText("plain");
    auto plain = label.attributedText();
    ASSERT_TRUE(plain && plain->attributesAt(0).font);
    EXPECT_EQ(std::tuple(plain->attributesAt(0).foregroundColor, plain->attributesAt(0).font->pointSize),
              std::tuple(Color::blue(), Label::defaultFontSize));

    AttributedString styled("red and blue");
    styled.addAttributes({std::nullopt, Color::red(), std::nullopt}, 0, 3);
    label.setAttributedText(styled);
    EXPECT_EQ(label.text(), "red and blue");
    label.setNumberOfLines(-3);
    EXPECT_EQ(label.numberOfLines(), 0);
}

TEST_F(ControlsTest, AButtonFallsBackToItsNormalStateAndShowsTheCurrentOne) {
    Button button(ButtonType::custom, Rect{0, 0, 200, 44});
    button.setTitle("Normal");
    button.setTitleColor(Color::red());
    button.setTitle("Pressed", ControlState::highlighted);
    EXPECT_EQ(button.title(ControlState::selected), "Normal");
    EXPECT_EQ(button.titleLabel()->text(), "Normal");
    button.setHighlighted(true);
    EXPECT_EQ(std::tuple(button.currentTitle(), button.titleLabel()->text(), button.titleLabel()->textColor()),
              std::tuple("Pressed", "Pressed", Color::red()));
    button.setHighlighted(false);
    button.setTitleColor(std::nullopt);
    EXPECT_EQ(button.currentTitleColor(), Color::white());
    EXPECT_EQ(Button(ButtonType::system).currentTitleColor(), View::systemBlue());

    button.setTitle(std::nullopt);
    EXPECT_TRUE(button.titleLabel()->isHidden());
}

TEST_F(ControlsTest, AButtonCentresItsImageAndTitleInsideItsInsets) {
    Button button(ButtonType::custom, Rect{0, 0, 200, 60});
    button.setImage(solidImage(20, 20));
    button.setTitle("Go");
    button.setContentEdgeInsets({0, 0, 0, 40});
    button.layoutIfNeeded();
    const Rect image = button.imageView()->frame(), title = button.titleLabel()->frame();
    EXPECT_EQ(image.size, (Size{20, 20}));
    EXPECT_EQ(image.maxX(), title.minX());
    EXPECT_NEAR((image.minX() + title.maxX()) / 2, 80, 1e-9);
    for (double middle : {image.midY(), title.midY()}) EXPECT_NEAR(middle, 30, 1e-9);
    const Size fit = button.sizeThatFits({});
    EXPECT_NEAR(fit.width, 20 + title.width() + 40, 1e-9);
    // The parts take no touches: the button does.
    EXPECT_FALSE(button.titleLabel()->isUserInteractionEnabled() || button.imageView()->isUserInteractionEnabled());
}

TEST(ContentModeTest, ContentRectsForEachMode) {
    const Rect bounds{0, 0, 100, 50};
    const Size image{20, 10};
    struct Case {
        ContentMode mode;
        Rect expected;
    };
    const Case cases[] = {
        {ContentMode::scaleToFill, {0, 0, 100, 50}},
        {ContentMode::scaleAspectFit, {0, 0, 100, 50}},
        {ContentMode::center, {40, 20, 20, 10}},
        {ContentMode::topLeft, {0, 0, 20, 10}},
        {ContentMode::bottomRight, {80, 40, 20, 10}},
        {ContentMode::right, {80, 20, 20, 10}},
    };
    for (const auto& c : cases) EXPECT_EQ(contentRect(c.mode, image, bounds), c.expected) << static_cast<int>(c.mode);
    EXPECT_EQ(contentRect(ContentMode::scaleAspectFit, {10, 10}, bounds), (Rect{25, 0, 50, 50}));
    EXPECT_EQ(contentRect(ContentMode::scaleAspectFill, {10, 10}, bounds), (Rect{0, -25, 100, 100}));
    EXPECT_EQ(contentRect(ContentMode::scaleAspectFit, {0, 0}, bounds), bounds);
}

TEST(ImageViewTest, AnImageViewTakesItsImagesSizeAndTellsAnimationsApart) {
    ImageView view(solidImage(40, 20, 2));
    EXPECT_EQ(view.frame(), (Rect{0, 0, 20, 10}));
    EXPECT_FALSE(view.isAnimating());
    auto frames = std::vector<Bitmap>{*Bitmap::make(4, 4), *Bitmap::make(4, 4)};
    view.setImage(Image::animated(frames, 0.5));
    EXPECT_TRUE(view.isAnimating());
    view.setImage(std::nullopt);
    EXPECT_EQ(view.sizeThatFits({}), (Size{0, 0}));
}

TEST(BarButtonItemTest, ItsOneActionGoesToALiveTargetWhenEnabled) {
    struct Target {
        int calls = 0;
        void go(BarButtonItem&) { ++calls; }
        void other() { calls += 100; }
    };
    auto item = std::make_shared<BarButtonItem>("Back");
    auto target = std::make_shared<Target>();
    // The calls after each step: the same action set twice is one; another replaces it;
    // a disabled item sends nothing.
    std::vector<int> calls;
    auto send = [&] {
        item->sendAction();
        calls.push_back(target->calls);
    };
    item->setTarget(target, &Target::go);
    item->setTarget(target, &Target::go);
    send();
    item->setTarget(target, &Target::other);
    send();
    item->setEnabled(false);
    send();
    EXPECT_EQ(calls, (std::vector<int>{1, 101, 101}));
    target.reset();
    EXPECT_FALSE(item->hasTarget());
}
