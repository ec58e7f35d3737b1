// Reading one element of an answer's "Actions" into an Action.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "answer_fixtures.hpp"
#include "vistrel/model/action.hpp"

namespace vistrel {
namespace {

Action read(const std::string& text) { return Action::fromJson(JSON::parseJSON(text)); }

TEST(ActionReading, KindsContentsAndRanks) {
    struct Case { std::string text; Action expected; };
    const JSON phone = JSON::parseJSON(R"({"Number": "0123"})");
    const std::vector<Case> cases = {
        {R"({"Type": "PHONE", "Content": "{\"Number\": \"0123\"}"})",
         {.type = ActionType::Phone, .content = Content(phone, ActionType::Phone)}},
        {R"({"Content": "{\"Number\": \"0123\"}"})", {}},
        {R"({"Type": "NOPE", "Content": "{\"Number\": \"0123\"}"})", {}},
        {R"({"Type": "TEXT", "Content": "not json"})",
         {.type = ActionType::Text, .content = Content(JSON(), ActionType::Text)}},
        {R"({"Style": "{}"})", {.style = Style{}}},
        {R"({"Order": 1.9, "Priority": -7})", {.priority = -7, .order = 1}},
        {R"({"Order": 9223372036854775808, "Priority": 1e300})", {.priority = INTPTR_MAX, .order = INTPTR_MAX}},
    };
    for (const auto& c : cases) {
        Action action = read(c.text);
        EXPECT_EQ(action, c.expected) << c.text;
        EXPECT_FALSE(action.isQrCode) << c.text;
    }
}

TEST(ActionReading, WrongKindsInAFixtureAnswer) {
    Image image = modeltest::readAnswer("wrong_kinds_actions.json");
    EXPECT_FALSE(image.autoTrigger) << "\"true\" as a string is no flag";
    ASSERT_TRUE(image.actions);
    const auto& a = *image.actions;
    ASSERT_EQ(a.size(), 15u);
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(a[i], Action{}) << "element " << i;
    EXPECT_EQ(a[5], (Action{.type = ActionType::Text})) << "content and style given as objects";
    EXPECT_EQ(std::tuple(a[6], a[7]), std::tuple(Action{}, Action{.name = ""})) << "kinds in lower case, with a space";
    EXPECT_EQ(a[8], (Action{.priority = 0, .order = 1}));

    // Kinds of values inside the content and style texts.
    const Action& phone = a[9];
    ASSERT_TRUE(phone.content);
    EXPECT_FALSE(phone.content->phoneNumber()) << "a number is not turned into text";
    EXPECT_EQ(phone.content->text(), "the kind is not looked at");
    EXPECT_EQ(phone.style, Style{}) << "a model that is no text, and sections that are no objects";

    const Content& map = *a[10].content;  // a boolean reads as a number
    EXPECT_EQ(std::tuple(map.mapLatitude(), map.mapLongitude(), map.mapSearchAddress()),
              std::tuple(std::nullopt, 1.0, std::nullopt));

    const Action& url = a[11];
    ASSERT_TRUE(url.content);
    EXPECT_FALSE(url.content->url() || url.content->isEmbeddedWebView() || url.content->isAnonymousURL() ||
                 url.content->urlContentType());
    // Only opacity takes a value that is no text.
    EXPECT_EQ(url.style, (Style{.button = Button{.opacity = 1.0f}, .icon = Icon{}, .text = Text{.fontSize = 16}}));

    // Beyond the signed range is held at its top, not wrapped.
    using Ranks = std::vector<std::pair<std::optional<std::intptr_t>, std::optional<std::intptr_t>>>;
    EXPECT_EQ((Ranks{{a[12].order, a[12].priority}, {a[13].order, a[13].priority}, {a[14].order, a[14].priority}}),
              (Ranks{{INTPTR_MAX, INTPTR_MIN}, {INTPTR_MAX, INTPTR_MIN}, {INTPTR_MAX, 2}}));
}

}  // namespace
}  // namespace vistrel
