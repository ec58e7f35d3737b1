#include <gtest/gtest.h>

#include "core/icon_view.hpp"
#include "kit_fonts.hpp"
#include "platform/graphics/font_registry.hpp"
#include "platform/ui/button.hpp"
#include "platform/ui/label.hpp"

using namespace platform::ui;
using vistrel::VistrelIconType;

using IconViewTest = coretest::KitFontsTest;

TEST_F(IconViewTest, AButtonBecomesAnIconButton) {
    Button button;
    button.setBackgroundColor(Color::red());
    vistrel::setIconType(button, VistrelIconType::Flash, 24, Color::white());
    EXPECT_EQ(button.title(), "\xEE\xA4\x88");  // U+E908
    EXPECT_EQ(button.titleColor(), Color::white());
    EXPECT_EQ(button.titleLabel()->font()->postScriptName, "icomoon");
    EXPECT_EQ(button.titleLabel()->font()->pointSize, 24);
    EXPECT_EQ(button.backgroundColor(), Color::clear());

    vistrel::setIconType(button, VistrelIconType::Grid, 24, Color::white(), std::nullopt);
    EXPECT_EQ(button.backgroundColor(), std::nullopt);
    // A size the icon font cannot take falls back to the default label font.
    vistrel::setIconType(button, VistrelIconType::Grid, 0, Color::white());
    EXPECT_EQ(button.titleLabel()->font()->postScriptName,
              platform::graphics::FontRegistry::shared().defaultFont(17)->postScriptName);
}

TEST_F(IconViewTest, ALabelBecomesACentredIcon) {
    Label label;
    label.setBackgroundColor(Color::red());
    vistrel::setIconType(label, VistrelIconType::PhotoDetail, 30, Color::blue());
    EXPECT_EQ(label.text(), vistrel::rawValue(VistrelIconType::PhotoDetail));
    EXPECT_EQ(label.textColor(), Color::blue());
    EXPECT_EQ(label.textAlignment(), platform::graphics::TextAlignment::center);
    EXPECT_EQ(label.backgroundColor(), Color::clear());
    EXPECT_EQ(label.font()->postScriptName, "icomoon");
    EXPECT_EQ(label.font()->pointSize, 30);
}

TEST_F(IconViewTest, SetTitleSetsTheStateAndTheFont) {
    Button button;
    vistrel::setTitle(button, "Selected", Color::green(), vistrel::iconFontWithSize(10), ControlState::selected);
    EXPECT_EQ(button.title(ControlState::selected), "Selected");
    EXPECT_EQ(button.title(ControlState::normal), std::nullopt);
    EXPECT_EQ(button.titleColor(ControlState::selected), Color::green());
    EXPECT_EQ(button.titleLabel()->font()->pointSize, 10);
    vistrel::setTitle(button, "Normal", Color::green(), std::nullopt, ControlState::normal);
    EXPECT_EQ(button.titleLabel()->font()->pointSize, Label::defaultFontSize);
}

TEST_F(IconViewTest, ABarButtonIs44PointsSquareWhateverTheGlyphSize) {
    for (double size : {8.0, 44.0, 120.0}) {
        auto button = vistrel::barButtonWithIconType(VistrelIconType::Close, size, Color::black());
        EXPECT_EQ(button->frame(), (Rect{0, 0, 44, 44}));
        EXPECT_EQ(button->buttonType(), ButtonType::custom);
        EXPECT_EQ(button->title(), vistrel::rawValue(VistrelIconType::Close));
        EXPECT_EQ(button->titleColor(), Color::black());
        EXPECT_EQ(button->titleLabel()->font()->pointSize, size);
    }
}
