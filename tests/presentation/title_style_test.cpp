// The title bar values of the image view model, over answers with title styles.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/palette.hpp"
#include "presentation/image_view_model.hpp"
#include "presentation_fixtures.hpp"

namespace vistrel {
namespace {

using platform::graphics::Color;
using presentationtest::readAnswers;
using presentationtest::sameColor;

class TitleStyle : public presentationtest::TextFontsTest {};

TEST_F(TitleStyle, DisplayColoursAndFont) {
    struct Case {
        const char* id;
        bool display;
        Color background, text;
        std::optional<Color> imageText;  // none: the configured white
        const char* face;                // nullptr: the default face
    };
    const Color shade{0, 0, 0, 0.6}, white = Color::white();
    const char* regular = "SFProText-Regular";
    const std::vector<Case> cases = {
        {"no-title-style", true, shade, white, std::nullopt, regular},
        {"display-false", false, {1, 0, 0, 0.5}, white, std::nullopt, regular},
        {"display-other-text", false, shade, white, std::nullopt, regular},
        {"button-without-display", true, shade, white, std::nullopt, regular},
        {"opacity-without-colour", true, shade, white, std::nullopt, regular},
        {"eight-digits", true, {1, 0, 0, 1}, white, std::nullopt, regular},
        {"rgba-with-opacity", true, {0, 0, 0, 0.6}, white, std::nullopt, regular},
        {"three-digits", true, {1, 0, 0, 1}, white, std::nullopt, regular},
        {"text-without-opacity", true, shade, white, Color{0, 1, 0, 1}, regular},
        {"text-with-opacity", true, shade, {0, 1, 0, 0.2}, Color{0, 1, 0, 1}, regular},
        {"opacity-out-of-range", true, {1, 0, 0, 1}, {0, 1, 0, 0}, Color{0, 1, 0, 1}, regular},
        {"bold-italic", true, shade, white, std::nullopt, nullptr},  // heavy italic is not registered
        {"normal-italic", true, shade, white, std::nullopt, "SFProText-Italic"},
        {"bold-normal", true, shade, white, std::nullopt, "SFProText-Heavy"},
        {"bold-only", true, shade, white, std::nullopt, regular},
        {"italic-only", true, shade, white, std::nullopt, regular},
    };
    auto images = readAnswers("presentation_title_styles.json");
    ASSERT_EQ(images.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.id);
        ASSERT_EQ(images[i].id, c.id);
        ImageViewModel model(images[i]);
        EXPECT_EQ(model.buttonDisplay(), c.display);
        EXPECT_TRUE(sameColor(model.buttonBackgroundColor(), c.background));
        EXPECT_TRUE(sameColor(model.textColor(), c.text));
        EXPECT_TRUE(sameColor(model.imageTextColor(), c.imageText.value_or(vistrelWhite())));
        auto font = model.textFont();
        ASSERT_TRUE(font);
        EXPECT_EQ(font->postScriptName, c.face ? std::string(c.face) : defaultFaceName());
        EXPECT_EQ(font->pointSize, 16.0);  // the style's own size plays no part
    }
}

}  // namespace
}  // namespace vistrel
