// Styles: the button, text and icon sections, and the rules by which their texts become
// numbers: whole texts only, finite, in range, in ASCII digits, whatever the process locale.
#include <gtest/gtest.h>

#include <clocale>
#include <optional>
#include <string>
#include <vector>

#include "vistrel/model/style.hpp"

namespace vistrel {
namespace {

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
        {R"({"opacity": ".5"})", {.opacity = 0.5f}}, {R"({"opacity": "half"})", {}}, {R"({"opacity": "1e39"})", {}},
        {R"({"opacity": "nan"})", {}}, {R"({"opacity": "0x1p3"})", {}}, {R"({"opacity": "0,5"})", {}},
        {R"({"opacity": "0.5 "})", {}}, {R"({"opacity": 1e300})", {.opacity = 3.40282347e38f}},
        {R"j({"background-color": "rgba(0, 0, 0, 0)"})j",
         {.backgroundColor = "rgba(0, 0, 0, 0)", .rgbaColor = "rgba(0, 0, 0, 0)"}},
        {R"j({"background-color": "RGBA(0, 0, 0, 0)"})j", {.backgroundColor = "RGBA(0, 0, 0, 0)"}},
        {R"({"display": "True"})", {.display = false}}, {R"({"radius": "8px"})", {}}, {R"({"radius": "007"})", {.radius = 7}},
        {R"({"radius": "+-2"})", {}}, {R"({"radius": "0x10"})", {}}, {R"({"radius": " 8"})", {}},
        {R"({"radius": "\u0663"})", {}},  // an Arabic-Indic digit three
        {R"({"radius": "-9223372036854775808"})", {.radius = INT64_MIN}}, {R"({"radius": "9223372036854775808"})", {}},
        {R"({"image-size": "cover"})", {.imageSize = ImageSize::cover}}, {R"({"image-position": ["left"]})", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(Button::fromJson(JSON::parseJSON(c.text)), c.expected) << c.text;
}

TEST(ButtonStyle, Heights) {
    struct Case { std::string text; std::optional<Height> expected; };
    const std::nullopt_t none = std::nullopt;
    const std::vector<Case> cases = {
        {"\"-2\"", Height{-2, none, none}}, {"\"16X9\"", none}, {"\"1.5\"", none}, {"\"99999999999999999999\"", none},
        {"\"100x\"", Height{none, 100.0f, none}}, {"\"1x2x3\"", Height{none, 1.0f, 2.0f}},
        {"\"nanxinf\"", Height{none, none, none}}, {"\"1e39x2\"", Height{none, none, 2.0f}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Button::fromJson(JSON::parseJSON("{\"height\": " + c.text + "}")).height, c.expected) << c.text;
}

TEST(TextStyle, Fields) {
    struct Case { std::string text; Text expected; };
    const std::vector<Case> cases = {
        {"{}", {.fontSize = 16}}, {R"({"font-size": "14"})", {.fontSize = 14}}, {R"({"font-size": "14px"})", {}},
        {R"({"font-weight": "Bold"})", {.fontSize = 16}},
        {R"({"vposition": "middle"})", {.fontSize = 16, .vposition = VerticalPosition::center}},
        {R"({"opacity": 0.8})", {.opacity = 0.8f, .fontSize = 16}}, {R"({"opacity": "-inf"})", {.fontSize = 16}},
    };
    for (const auto& c : cases) EXPECT_EQ(Text::fromJson(JSON::parseJSON(c.text)), c.expected) << c.text;
}

TEST(IconStyle, Fields) {
    struct Case { std::string text; Icon expected; };
    const std::vector<Case> cases = {
        {R"({"size": "24.5"})", {.size = 24.5}}, {R"({"size": "24pt"})", {}}, {R"({"size": "1e309"})", {}},
        {R"({"display": "TRUE"})", {.display = false}},
    };
    for (const auto& c : cases) EXPECT_EQ(Icon::fromJson(JSON::parseJSON(c.text)), c.expected) << c.text;
}

// Section names are matched exactly; sections that are no objects are in the wrong-kinds answer.
TEST(StyleReading, SectionNamesAreExact) {
    EXPECT_EQ(Style::fromJson(JSON::parseJSON(R"({"Button": {}, "TEXT": {}, "Icon": {}, "Model": "m"})")), Style{});
}

}  // namespace
}  // namespace vistrel
