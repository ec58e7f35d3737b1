// The typed accessors of an action's content: one fixed key each, whatever the kind.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/content.hpp"

namespace vistrel {
namespace {

Content content(const std::string& text, ActionType type = ActionType::Text) {
    return Content(JSON::parseJSON(text), type);
}

using TextAccessor = std::optional<std::string> (Content::*)() const;

TEST(ContentAccessors, TextsComeFromTheirKeysOnlyWhenTheyAreStrings) {
    struct Case { const char* name; TextAccessor accessor; const char* key; };
    const std::vector<Case> accessors = {
        {"text", &Content::text, "Text"}, {"vcalendar", &Content::vcalendar, "VCalendar"},
        {"url", &Content::url, "Url"}, {"urlContentType", &Content::urlContentType, "ContentType"},
        {"vcard", &Content::vcard, "VCard"}, {"shareContent", &Content::shareContent, "Content"},
        {"shareUrl", &Content::shareUrl, "Url"}, {"emailContent", &Content::emailContent, "Content"},
        {"emailAddress", &Content::emailAddress, "Address"}, {"emailSubject", &Content::emailSubject, "Subject"},
        {"smsContent", &Content::smsContent, "Content"}, {"smsNumber", &Content::smsNumber, "Number"},
        {"phoneNumber", &Content::phoneNumber, "Number"},
        {"mapSearchAddress", &Content::mapSearchAddress, "SearchAddress"},
    };
    for (const auto& a : accessors) {
        const std::string key = a.key;
        // Exactly as sent, even for a kind that would never read it.
        const std::string value = " https://example.com/a?b=c&d=%20 \n";
        Content text = content(R"({")" + key + R"(": " https://example.com/a?b=c&d=%20 \n"})", ActionType::Data);
        EXPECT_EQ((text.*a.accessor)(), value) << a.name;
        EXPECT_EQ((content(R"({")" + key + R"(": ""})").*a.accessor)(), "") << a.name;
        for (const std::string wrong : {"12", "true", "null", "[\"x\"]", "{\"x\": \"y\"}"})
            EXPECT_FALSE((content(R"({")" + key + R"(": )" + wrong + "}").*a.accessor)()) << a.name << " " << wrong;
        // The key in lower case and in upper case is another key.
        for (int (*change)(int) : {::tolower, ::toupper}) {
            std::string other = key;
            for (char& c : other) c = static_cast<char>(change(static_cast<unsigned char>(c)));
            EXPECT_FALSE((content(R"({")" + other + R"(": "v"})").*a.accessor)()) << a.name << " " << other;
        }
        for (const char* unreadable : {"{}", "not json", "[{\"Text\": \"v\"}]", "\"v\"", "null"})
            EXPECT_FALSE((content(unreadable).*a.accessor)()) << a.name << " " << unreadable;
    }
}

TEST(ContentAccessors, FlagsAreJsonBooleansOnly) {
    struct Case { std::string value; std::optional<bool> expected; };
    const std::vector<Case> cases = {
        {"true", true}, {"false", false}, {"\"true\"", std::nullopt}, {"1", std::nullopt},
        {"0", std::nullopt}, {"null", std::nullopt}, {"[true]", std::nullopt},
    };
    for (const auto& c : cases) {
        Content url = content(R"({"IsEmbeddedWebView": )" + c.value + R"(, "IsAnonymousURL": )" + c.value + "}",
                              ActionType::Url);
        EXPECT_EQ(std::tuple(url.isEmbeddedWebView(), url.isAnonymousURL()), std::tuple(c.expected, c.expected)) << c.value;
    }
}

TEST(ContentAccessors, CoordinatesAreJsonNumbers) {
    struct Case { std::string value; std::optional<double> expected; };
    const std::vector<Case> cases = {
        {"48", 48.0},          {"48.8566", 48.8566},      {"-0.5", -0.5},
        {"1e2", 100.0},        {"true", 1.0},             {"false", 0.0},
        {"\"48.85\"", std::nullopt}, {"null", std::nullopt}, {"[48]", std::nullopt},
        {"18446744073709551615", 18446744073709551615.0},
    };
    for (const auto& c : cases) {
        Content map = content(R"({"Latitude": )" + c.value + R"(, "Longitude": )" + c.value + "}", ActionType::Map);
        EXPECT_EQ(std::tuple(map.mapLatitude(), map.mapLongitude()), std::tuple(c.expected, c.expected)) << c.value;
    }
}

}  // namespace
}  // namespace vistrel
