// The content accessors of the image view model, with the web and share address rules.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "presentation/image_view_model.hpp"
#include "presentation_fixtures.hpp"

namespace vistrel {
namespace {

using modeltest::readAnswer;
using presentationtest::positionOf;

struct AddressCase {
    const char* id;
    std::optional<std::string> expected;
};

class ContentAccessors : public ::testing::Test {
protected:
    ImageViewModel model{readAnswer("presentation_content.json")};
    std::intptr_t at(const char* id) const { return positionOf(model, id); }
};

TEST_F(ContentAccessors, WebAddressRule) {
    const std::vector<AddressCase> cases = {
        {"web-trimmed-inner-space", "http://example.com/spring%20sale"},
        {"web-newlines", "https://example.com/a"},
        {"web-allowed-unchanged", "https://example.com/p?q=1&r=a+b#frag"},
        {"web-existing-escape", "https://example.com/a%20b"},
        {"web-lower-case-escape", "https://example.com/%c3%a9"},
        {"web-stray-percent", "https://example.com/100%25"},
        {"web-escape-and-stray", "https://example.com/50%25off%2Fx"},
        {"web-non-ascii-host", "https://ex%C3%A4mple.com/%C3%BC"},
        {"web-non-ascii-no-scheme", "http://b%C3%BCcher.de/livres"},
        {"web-www-no-scheme", "http://www.example.com"},
        {"web-other-scheme", "tel:+33123456"},
        {"web-brackets", "https://example.com/%5Bx%5D"},
        {"web-inner-newline", "https://example.com/a%0Ab"},
        {"web-unicode-blanks", "https://example.com"},
        {"web-two-fragments", std::nullopt},
        {"web-empty", std::nullopt},
        {"web-only-blanks", std::nullopt},
        {"url-number", std::nullopt},
        {"url-missing", std::nullopt},
    };
    platform::LogCapture log;
    for (const auto& [id, expected] : cases) EXPECT_EQ(model.urlForAction(at(id)), expected) << id;
    EXPECT_TRUE(log.contains("url :: https://example.com/a%20b"));
}

TEST_F(ContentAccessors, ShareAddressRule) {
    const std::vector<AddressCase> cases = {
        {"share-www", "http://www.example.com/x"},
        {"share-http", "http://example.com/a?b=c"},
        {"share-capital-scheme", "HTTPS://EXAMPLE.COM/A"},
        {"share-escape", "https://example.com/a%20b"},
        {"share-capital-www", std::nullopt},
        {"share-bare-host", std::nullopt},
        {"share-other-scheme", std::nullopt},
        {"share-inner-space", std::nullopt},
        {"share-leading-space", std::nullopt},
        {"share-non-ascii", std::nullopt},
        {"share-empty", std::nullopt},
    };
    for (const auto& [id, expected] : cases) {
        EXPECT_EQ(model.shareUrlForAction(at(id)), expected) << id;
        EXPECT_EQ(model.shareContentForAction(at(id)), "look") << id;
    }
}

TEST_F(ContentAccessors, AbsentAndEmptyValues) {
    EXPECT_EQ(model.phoneNumberForAction(at("phone-as-number")), std::nullopt);
    EXPECT_EQ(model.smsNumberForAction(at("phone-as-number")), std::nullopt);
    EXPECT_EQ(model.phoneNumberForAction(at("phone-empty")), "");
    EXPECT_EQ(model.smsNumberForAction(at("phone-empty")), std::nullopt);
    EXPECT_EQ(model.smsNumberForAction(at("sms-full")), "+33612345678");
    EXPECT_EQ(model.smsContentForAction(at("sms-full")), "SPRING");
    EXPECT_EQ(model.emailAddressForAction(at("email-no-subject")), "hello@example.com");
    EXPECT_EQ(model.emailSubjectForAction(at("email-no-subject")), "");
    EXPECT_EQ(model.emailContentForAction(at("email-no-subject")), "Hi");
    EXPECT_EQ(model.mapLatitudeForAction(at("map-latitude-text")), std::nullopt);
    EXPECT_EQ(model.mapLongitudeForAction(at("map-latitude-text")), 4.83);
    EXPECT_EQ(model.mapSearchAddressForAction(at("map-latitude-text")), std::nullopt);
    EXPECT_EQ(model.textForAction(at("text-empty")), std::nullopt);
    EXPECT_EQ(model.textForAction(at("text-full")), "Bonjour");
    EXPECT_EQ(model.urlContentTypeTypeForAction(at("text-full")), std::nullopt);
    EXPECT_EQ(model.isEmbeddedWebViewForAction(at("url-missing")), true);
    EXPECT_EQ(model.isAnonymousURLForAction(at("url-missing")), std::nullopt);
    EXPECT_EQ(model.textForAction(at("no-content")), std::nullopt);
    EXPECT_EQ(model.emailAddressForAction(at("no-content")), "");
    EXPECT_EQ(model.contentJsonStringForAction(at("no-content")), std::nullopt);
    EXPECT_EQ(model.contentJsonStringForAction(at("sms-full")),
              JSON::parse(R"({"Number": "+33612345678", "Content": "SPRING"})").rawString());
    EXPECT_EQ(model.contentJSONForAction(at("text-full")), JSON::parse(R"({"Text":"Bonjour","ContentType":""})"));
}

}  // namespace
}  // namespace vistrel
