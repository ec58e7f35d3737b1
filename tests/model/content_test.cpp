// The typed accessors of an action's content. Every text accessor reads its one key the
// same way, so the rules are shown on a few; the key of each is checked through the
// presentation tests' content answer, flags and coordinates through the answers here.
#include <gtest/gtest.h>

#include <string>

#include "vistrel/model/content.hpp"

namespace vistrel {
namespace {

Content content(const std::string& text, ActionType type = ActionType::Text) {
    return Content(JSON::parseJSON(text), type);
}

TEST(ContentAccessors, TextsAreReadOnlyFromStringsUnderTheirExactKey) {
    // Exactly as sent, even for a kind that would never read it.
    EXPECT_EQ(content(R"({"Url": " https://example.com/a?b=c&d=%20 \n"})", ActionType::Data).url(),
              " https://example.com/a?b=c&d=%20 \n");
    EXPECT_EQ(content(R"({"Subject": ""})").emailSubject(), "");
    for (const std::string wrong : {"12", "true", "null", "[\"x\"]", "{\"x\": \"y\"}"})
        EXPECT_FALSE(content(R"({"Number": )" + wrong + "}").smsNumber()) << wrong;
    for (const char* unreadable : {"not json", "[{\"Text\": \"v\"}]", "\"v\""})
        EXPECT_FALSE(content(unreadable).text()) << unreadable;
    EXPECT_FALSE(content(R"({"text": "v", "TEXT": "v"})").text());
}

}  // namespace
}  // namespace vistrel
