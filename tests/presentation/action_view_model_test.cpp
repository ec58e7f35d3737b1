// The display values of an action row: colours, fonts, icon and label placement, button
// shape, over answer documents.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "presentation/action_view_model.hpp"
#include "presentation/image_view_model.hpp"
#include "presentation_fixtures.hpp"

namespace vistrel {
namespace {

using modeltest::readAnswer;
using platform::graphics::Color;
using presentationtest::positionOf;
using presentationtest::sameColor;

std::shared_ptr<ActionViewModel> rowOf(const ImageViewModel& model, const char* id) {
    return model.viewModelForAction(positionOf(model, id));
}

TEST(ActionViewModelColors, TextButtonAndBackgroundColours) {
    struct Case {
        const char* id;
        Color text, textBackground, button;
    };
    const Color white = Color::white(), clear = Color::clear(), shade{0, 0, 0, 0.6};
    const std::vector<Case> cases = {
        {"no-style", white, clear, shade},
        {"no-sections", white, clear, shade},
        {"hex-with-opacity", {1, 0, 0, 0.5}, clear, {0, 1, 0, 0.25}},
        {"hex-without-opacity", white, clear, shade},
        {"opacity-without-hex", white, clear, shade},
        {"eight-digits", {1, 0, 0, 1}, clear, {0, 1, 0, 0.5}},  // the opacity replaces the text's alpha
        {"three-digits", {1, 0, 0, 1}, clear, {0, 1, 0, 1}},
        {"rgba", {1, 0, 0, 0.5}, {0, 0, 1, 1}, {0, 1, 0, 0.25}},  // an rgba text wins over the opacity
        {"rgba-three-numbers", {1, 0, 0, 0}, {0, 0, 1, 0}, {0, 1, 0, 0}},
        {"rgba-fifth-number", {1, 0, 0, 1}, clear, shade},
        // Too few pieces go on to the hex step ("rgba(1,2" is eight characters, no digit
        // read) and then to the default; a hex text background is no rgba text.
        {"rgba-short", {0, 0, 0, 0.5}, clear, shade},
        {"rgba-words", {0, 0, 0, 0}, clear, shade},
        {"out-of-range", {1, 0, 0, 1}, {1, 0, 50.0 / 255, 1}, {0, 1, 0, 0}},
        {"opacity-beyond-float", {0, 0, 1, 1}, clear, {0, 0, 1, 0}},
        {"upper-case-rgba", {0, 0, 0, 0.5}, clear, shade},
        {"unknown-length", {0, 0, 0, 0.5}, clear, shade},
    };
    ImageViewModel model(readAnswer("presentation_colors.json"));
    ASSERT_EQ(model.numberOfActions(), static_cast<std::intptr_t>(cases.size()));
    for (const Case& c : cases) {
        auto row = rowOf(model, c.id);
        EXPECT_TRUE(sameColor(row->textColor(), c.text)) << c.id << " text";
        EXPECT_TRUE(sameColor(row->textBackgroundColor(), c.textBackground)) << c.id << " text background";
        EXPECT_TRUE(sameColor(row->buttonBackgroundColor(), c.button)) << c.id << " button";
    }
}

TEST(ActionViewModelColors, NotANumberOpacityCountsAsAbsent) {
    Action action;
    action.style = Style{};
    action.style->text = Text{};
    action.style->text->color = "#FF0000";
    action.style->text->opacity = std::nanf("");
    action.style->button = Button{};
    action.style->button->backgroundColor = "#FF0000";
    action.style->button->opacity = std::nanf("");
    ActionViewModel row(action);
    EXPECT_TRUE(sameColor(row.textColor(), Color::white()));
    EXPECT_TRUE(sameColor(row.buttonBackgroundColor(), Color{0, 0, 0, 0.6}));
}

struct FontsCase {
    const char* id;
    const char* face;  // nullptr: the default face
    std::intptr_t size;
};

class ActionViewModelFonts : public presentationtest::TextFontsTest {};

TEST_F(ActionViewModelFonts, FaceAndSizeWithAMissingFont) {
    const std::vector<FontsCase> cases = {
        {"no-style", "SFProText-Regular", 16},
        {"size-24", "SFProText-Regular", 24},
        {"bold-italic-18", nullptr, 18},  // the heavy italic face is not registered
        {"normal-italic-18", "SFProText-Italic", 18},
        {"bold-normal-18", "SFProText-Heavy", 18},
        {"normal-normal-18", "SFProText-Regular", 18},
        {"bold-only-18", "SFProText-Regular", 18},
        {"italic-only-18", "SFProText-Regular", 18},
        {"size-with-unit", "SFProText-Regular", 16},
        {"size-zero", "SFProText-Regular", 16},
        {"size-negative", "SFProText-Italic", 16},
        {"size-huge", "SFProText-Regular", 1000},
        {"weight-unknown", "SFProText-Regular", 18},
    };
    ImageViewModel model(readAnswer("presentation_fonts.json"));
    for (const FontsCase& c : cases) {
        SCOPED_TRACE(c.id);
        auto row = rowOf(model, c.id);
        EXPECT_EQ(row->textFontSize(), c.size);
        auto font = row->textFont();
        ASSERT_TRUE(font);
        EXPECT_EQ(font->postScriptName, c.face ? std::string(c.face) : defaultFaceName());
        EXPECT_DOUBLE_EQ(font->pointSize, static_cast<double>(c.size));
    }
}

TEST(ActionViewModelPlacement, IconTextAndButtonValues) {
    ImageViewModel model(readAnswer("presentation_geometry.json"));
    auto plain = rowOf(model, "no-style");
    EXPECT_EQ(plain->name(), "no-style");
    EXPECT_EQ(plain->iconUrl(), "");
    EXPECT_EQ(plain->buttonBackgroundImage(), "https://example.com/bg.png");
    EXPECT_FALSE(plain->iconStyleAvailable());
    EXPECT_TRUE(plain->iconDisplay());
    EXPECT_EQ(plain->iconSize(), 30.0);
    EXPECT_EQ(plain->iconVerticalPosition(), VerticalPosition::center);
    EXPECT_EQ(plain->iconHorizontalPosition(), HorizontalPosition::left);
    EXPECT_TRUE(plain->textDisplay());
    EXPECT_EQ(plain->textVerticalPosition(), VerticalPosition::center);
    EXPECT_EQ(plain->textHorizontalPosition(), HorizontalPosition::center);
    EXPECT_EQ(plain->buttonRadius(), 0);
    EXPECT_TRUE(plain->buttonDisplay());
    EXPECT_EQ(plain->buttonBackgroundImageSize(), ImageSize::cover);
    EXPECT_EQ(plain->buttonBackgroundImagePosition(), HorizontalPosition::center);

    auto styled = rowOf(model, "ratio-16x9");
    EXPECT_EQ(styled->buttonRadius(), 8);
    EXPECT_FALSE(styled->buttonDisplay());
    EXPECT_EQ(styled->buttonBackgroundImageSize(), ImageSize::contain);
    EXPECT_EQ(styled->buttonBackgroundImagePosition(), HorizontalPosition::left);
    EXPECT_EQ(styled->buttonHeightMultiplier(), 1.0);
    EXPECT_EQ(rowOf(model, "height-negative")->buttonRadius(), 0);
    EXPECT_EQ(rowOf(model, "height-huge")->buttonRadius(), 10000);

    struct IconCase {
        const char* id;
        double size;
        bool display;
        VerticalPosition vertical;
        HorizontalPosition horizontal;
    };
    const std::vector<IconCase> icons = {
        {"icon-24", 24, false, VerticalPosition::top, HorizontalPosition::left},
        {"icon-zero", 0, true, VerticalPosition::center, HorizontalPosition::right},
        {"icon-negative", 0, true, VerticalPosition::center, HorizontalPosition::left},  // "center" names no case
        {"icon-huge", 10000, true, VerticalPosition::center, HorizontalPosition::left},
        {"icon-empty-section", 30, true, VerticalPosition::center, HorizontalPosition::left},
    };
    for (const IconCase& c : icons) {
        auto row = rowOf(model, c.id);
        EXPECT_TRUE(row->iconStyleAvailable()) << c.id;
        EXPECT_EQ(row->iconSize(), c.size) << c.id;
        EXPECT_EQ(row->iconDisplay(), c.display) << c.id;
        EXPECT_EQ(row->iconVerticalPosition(), c.vertical) << c.id;
        EXPECT_EQ(row->iconHorizontalPosition(), c.horizontal) << c.id;
    }
}

}  // namespace
}  // namespace vistrel
