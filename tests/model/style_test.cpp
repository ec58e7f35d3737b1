// Styles: the button, text and icon sections, the whole style, the fixed QR style, and
// the rules by which their texts become numbers.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/style.hpp"
#include "model/value_reading.hpp"

namespace vistrel {
namespace {

JSON section(const std::string& key, const std::string& value) {
    return JSON::parseJSON("{\"" + key + "\": " + value + "}");
}

TEST(StyleNumbers, WholeIntegers) {
    struct Case { const char* text; std::optional<std::intptr_t> expected; };
    const std::vector<Case> cases = {
        {"8", 8},          {"+8", 8},          {"-2", -2},          {"0", 0},
        {"-0", 0},         {"007", 7},         {"8px", std::nullopt}, {"8.5", std::nullopt},
        {"", std::nullopt}, {" 8", std::nullopt}, {"8 ", std::nullopt}, {"+", std::nullopt},
        {"-", std::nullopt}, {"+-2", std::nullopt}, {"--2", std::nullopt}, {"0x10", std::nullopt},
        {"1e3", std::nullopt}, {"\xD9\xA3", std::nullopt},  // an Arabic-Indic digit three
        {"9223372036854775807", INT64_MAX}, {"-9223372036854775808", INT64_MIN},
        {"9223372036854775808", std::nullopt}, {"99999999999999999999999", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(value_reading::wholeInteger(c.text), c.expected) << c.text;
}

TEST(StyleNumbers, FloatsAreFiniteOrAbsent) {
    struct Case { const char* text; std::optional<float> expected; };
    const std::vector<Case> cases = {
        {"0.5", 0.5f},  {"+0.5", 0.5f}, {"-2", -2.0f}, {".5", 0.5f},   {"5.", 5.0f},  {"1e2", 100.0f},
        {"1.5", 1.5f},  {"-1", -1.0f},
        {"nan", std::nullopt},  {"NaN", std::nullopt}, {"inf", std::nullopt}, {"-inf", std::nullopt},
        {"infinity", std::nullopt}, {"1e39", std::nullopt}, {"-1e39", std::nullopt},
        {"1e999", std::nullopt}, {"0x1p3", std::nullopt}, {"0,5", std::nullopt}, {"", std::nullopt},
        {" 0.5", std::nullopt}, {"0.5 ", std::nullopt}, {"0.5f", std::nullopt}, {".", std::nullopt},
        {"e5", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(value_reading::wholeFloat(c.text), c.expected) << c.text;
    EXPECT_EQ(std::tuple(value_reading::wholeDouble("1e309"), value_reading::wholeDouble("nan"), value_reading::wholeDouble("1e39")),
              std::tuple(std::nullopt, std::nullopt, 1e39));
}

TEST(StyleNumbers, TheProcessLocaleDoesNotChangeReading) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.utf8"))
        GTEST_SKIP() << "no locale with a decimal comma";
    Button button = Button::fromJson(JSON::parseJSON(R"({"opacity": "0.5", "height": "1.5x2,5"})"));
    Icon icon = Icon::fromJson(JSON::parseJSON(R"({"size": "24.5"})"));
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(std::tuple(button.opacity, button.height, icon.size),
              std::tuple(0.5f, Height{std::nullopt, 1.5f, std::nullopt}, 24.5));
}

TEST(ButtonStyle, Fields) {
    struct Case { std::string text; Button expected; };
    const std::vector<Case> cases = {
        {"{}", {}}, {R"({"opacity": "0.5"})", {.opacity = 0.5f}}, {R"({"opacity": 0.5})", {.opacity = 0.5f}},
        {R"({"opacity": 1.5})", {.opacity = 1.5f}}, {R"({"opacity": "half"})", {}}, {R"({"opacity": "1e39"})", {}},
        {R"({"opacity": 1e300})", {.opacity = 3.40282347e38f}}, {R"({"opacity": true})", {.opacity = 1.0f}},
        {R"({"opacity": null})", {}}, {R"({"background-color": "#000000"})", {.backgroundColor = "#000000"}},
        {R"j({"background-color": "rgba(0, 0, 0, 0)"})j",
         {.backgroundColor = "rgba(0, 0, 0, 0)", .rgbaColor = "rgba(0, 0, 0, 0)"}},
        {R"j({"background-color": "RGBA(0, 0, 0, 0)"})j", {.backgroundColor = "RGBA(0, 0, 0, 0)"}},
        {R"({"background-color": "my rgba"})", {.backgroundColor = "my rgba", .rgbaColor = "my rgba"}},
        {R"({"background-color": 5})", {}}, {R"({"display": "true"})", {.display = true}},
        {R"({"display": "false"})", {.display = false}}, {R"({"display": "True"})", {.display = false}},
        {R"({"display": ""})", {.display = false}}, {R"({"display": true})", {}},
        {R"({"radius": "8"})", {.radius = 8}}, {R"({"radius": "8px"})", {}}, {R"({"radius": 8})", {}},
        {R"({"image-size": "contain"})", {.imageSize = ImageSize::contain}},
        {R"({"image-size": "cover"})", {.imageSize = ImageSize::cover}}, {R"({"image-size": "Contain"})", {}},
        {R"({"image-position": "center"})", {.imagePosition = HorizontalPosition::center}},
        {R"({"image-position": ["left"]})", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(Button::fromJson(JSON::parseJSON(c.text)), c.expected) << c.text;
}

TEST(ButtonStyle, Heights) {
    struct Case { std::string text; std::optional<Height> expected; };
    const std::nullopt_t none = std::nullopt;
    const std::vector<Case> cases = {
        {"\"2\"", Height{2, none, none}}, {"\"-2\"", Height{-2, none, none}}, {"\"16x9\"", Height{none, 16.0f, 9.0f}},
        {"\"16X9\"", none}, {"\"1.5\"", none}, {"\"100x\"", Height{none, 100.0f, none}},
        {"\"x9\"", Height{none, none, 9.0f}}, {"\"0x10\"", Height{none, 0.0f, 10.0f}},
        {"\"1x2x3\"", Height{none, 1.0f, 2.0f}}, {"\"1.5x0.75\"", Height{none, 1.5f, 0.75f}},
        {"\"+16x-9\"", Height{none, 16.0f, -9.0f}}, {"\"nanxinf\"", Height{none, none, none}},
        {"\"1e39x2\"", Height{none, none, 2.0f}}, {"\"16 x 9\"", Height{none, none, none}},
        {"\"99999999999999999999\"", none}, {"\"\"", none}, {"2", none}, {"null", none},
    };
    for (const auto& c : cases) EXPECT_EQ(Button::fromJson(section("height", c.text)).height, c.expected) << c.text;
}

TEST(TextStyle, Fields) {
    struct Case { std::string text; Text expected; };
    const std::vector<Case> cases = {
        {"{}", {.fontSize = 16}}, {R"({"font-size": "14"})", {.fontSize = 14}}, {R"({"font-size": "14px"})", {}},
        {R"({"font-size": 14})", {.fontSize = 16}}, {R"({"font-size": null})", {.fontSize = 16}},
        {R"({"font-weight": "bold"})", {.fontWeight = FontWeight::bold, .fontSize = 16}},
        {R"({"font-weight": "normal", "font-style": "normal"})",
         {.fontWeight = FontWeight::normal, .fontStyle = FontStyle::normal, .fontSize = 16}},
        {R"({"font-weight": "Bold"})", {.fontSize = 16}},
        {R"({"font-style": "italic"})", {.fontStyle = FontStyle::italic, .fontSize = 16}},
        {R"({"font-style": "Italic", "hposition": "middle"})", {.fontSize = 16}},
        {R"({"vposition": "middle"})", {.fontSize = 16, .vposition = VerticalPosition::center}},
        {R"({"vposition": "center"})", {.fontSize = 16}},
        {R"({"hposition": "center"})", {.fontSize = 16, .hposition = HorizontalPosition::center}},
        {R"j({"color": "rgba(1, 2, 3, 0.5)"})j",
         {.color = "rgba(1, 2, 3, 0.5)", .rgbaColor = "rgba(1, 2, 3, 0.5)", .fontSize = 16}},
        {R"j({"background-color": "rgba(0, 0, 0, 0)"})j", {.fontSize = 16, .backgroundColor = "rgba(0, 0, 0, 0)"}},
        {R"({"opacity": "0.8"})", {.opacity = 0.8f, .fontSize = 16}},
        {R"({"opacity": 0.8})", {.opacity = 0.8f, .fontSize = 16}}, {R"({"opacity": "-inf"})", {.fontSize = 16}},
        {R"({"display": "true"})", {.fontSize = 16, .display = true}}, {R"({"display": true})", {.fontSize = 16}},
    };
    for (const auto& c : cases) EXPECT_EQ(Text::fromJson(JSON::parseJSON(c.text)), c.expected) << c.text;
}

TEST(IconStyle, Fields) {
    struct Case { std::string text; Icon expected; };
    const std::vector<Case> cases = {
        {"{}", {}}, {R"({"size": "24"})", {.size = 24.0}}, {R"({"size": "24.5"})", {.size = 24.5}},
        {R"({"size": "24pt"})", {}}, {R"({"size": "1e309"})", {}}, {R"({"size": 24})", {}},
        {R"({"display": "true"})", {.display = true}}, {R"({"display": "TRUE"})", {.display = false}},
        {R"({"display": true})", {}},
        {R"({"hposition": "left", "vposition": "top"})",
         {.hposition = HorizontalPosition::left, .vposition = VerticalPosition::top}},
        {R"({"hposition": "Left", "vposition": "middle "})", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(Icon::fromJson(JSON::parseJSON(c.text)), c.expected) << c.text;
}

TEST(StyleReading, SectionsCountOnlyAsObjects) {
    struct Case { std::string text; Style expected; };
    const std::vector<Case> cases = {
        {"{}", {}}, {"[]", {}}, {"[{\"model\": \"m\"}]", {}}, {"\"{\\\"model\\\": \\\"m\\\"}\"", {}},
        {R"({"model": "only"})", {.model = "only"}}, {R"({"model": 3})", {}},
        {R"({"button": "{\"radius\": \"8\"}"})", {}},
        {R"({"button": {}, "icon": {}, "text": {}})", {.button = Button{}, .icon = Icon{}, .text = Text{.fontSize = 16}}},
        {R"({"button": {"radius": "8"}})", {.button = Button{.radius = 8}}},
        {R"({"text": [], "icon": null, "button": 1})", {}},
        {R"({"Button": {}, "TEXT": {}, "Icon": {}, "Model": "m"})", {}},
    };
    for (const auto& c : cases) {
        Style style = Style::fromJson(JSON::parseJSON(c.text));
        EXPECT_EQ(style, c.expected) << c.text;
        EXPECT_FALSE(style.qrCodeType) << c.text;
    }
}

TEST(StyleReading, QrCodeStyle) {
    // No model, no icon, and no text size: the theme's size applies.
    EXPECT_EQ(Style::fromQrCodeType(QrCodeType::url),
              (Style{.button = Button{.backgroundColor = "#000000", .opacity = 0.6f},
                     .text = Text{.color = "#FFFFFF", .opacity = 1.0f, .backgroundColor = "rgba(0, 0, 0, 0)"},
                     .qrCodeType = QrCodeType::url}));
}

}  // namespace
}  // namespace vistrel
