// Images and actions built from the payloads of QR codes.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/model/qr_image.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace vistrel {
namespace {

TEST(QrImage, PayloadsAreClassifiedByTheWordsTheyContain) {
    struct Case { std::string payload; ActionType type; std::string data; };
    platform::LogCapture quiet;
    const std::vector<Case> cases = {
        {"https://example.com/a?b=1", ActionType::Url, "https://example.com/a?b=1"},
        {"visit example.com/http-guide", ActionType::Url, "visit example.com/http-guide"},
        {"SMSTO:+33612345678:see http://x.example", ActionType::Url, "SMSTO:+33612345678:see http://x.example"},
        {"SMSTO:+33612345678:Hello there", ActionType::Sms, "+33612345678"},
        {"smsto:0612345678:lower case", ActionType::Sms, "0612345678"}, {"SMSTO::message", ActionType::Sms, ""},
        {"sms to me: SMSTO", ActionType::Sms, " SMSTO"}, {"SMSTO:TEL:12", ActionType::Sms, "TEL"},
        {"TEL:+33123456789", ActionType::Phone, "+33123456789"},
        {"Hotel du Parc: 12 rue Haute: Lyon", ActionType::Phone, " 12 rue Haute"},
        {"BEGIN:VCARD\nVERSION:3.0\nFN:Ann\nTEL:0123\nEND:VCARD", ActionType::Phone, "VCARD\nVERSION"},
        {"WIFI:S:Home;T:WPA;P:secret;;", ActionType::Text, "WIFI:S:Home;T:WPA;P:secret;;"}, {"", ActionType::Text, ""},
        // An SMS or telephone payload without ":" has no number: kept as text, whole.
        {"SMSTO 0612345678", ActionType::Text, "SMSTO 0612345678"}, {"Grand Hotel", ActionType::Text, "Grand Hotel"},
    };
    for (const auto& c : cases) {
        QrPayload kind = classifyQrPayload(c.payload);
        EXPECT_EQ(kind, (QrPayload{c.type, c.data})) << c.payload;

        Action action = Image::fromQrcodeFeatures({c.payload}).actions.value().at(0);
        EXPECT_EQ(action, Action::fromZbarData(c.data, c.type)) << c.payload;
        EXPECT_EQ(std::tuple(action.name, action.type), std::tuple(c.data, c.type)) << c.payload;
    }
}

TEST(QrImage, ActionsCarryTheFixedQrValues) {
    Action url = Action::fromCodeUrl("https://example.com");
    const JSON content = JSON::parseJSON(R"({"Url": "https://example.com", "IsEmbeddedWebView": true,
                                             "IsAnonymousURL": true, "ContentType": "text/html"})");
    EXPECT_EQ(url, (Action{.name = "https://example.com", .priority = -1000, .order = -1000,
                           .style = Style::fromQrCodeType(QrCodeType::url), .type = ActionType::Url,
                           .content = Content(content, ActionType::Url), .isQrCode = true}));
    EXPECT_EQ(Action::fromZbarData("0612", ActionType::Sms).content->json,
              JSON::parseJSON(R"({"Number": "0612", "Content": ""})"));
    EXPECT_EQ(Action::fromZbarData("0612", ActionType::Phone).content->json, JSON::parseJSON(R"({"Number": "0612"})"));
    EXPECT_EQ(Action::fromZbarData("t", ActionType::Text).content->json, JSON::parseJSON(R"({"Text": "t"})"));
}

TEST(QrImage, ImagesFromLists) {
    platform::LogCapture quiet;
    const std::string title = tr("zbar.qrcode_detected");
    std::optional<std::string> none;
    // The last code names the image; nothing else of an answer is set. A code that could
    // not be read is passed over; the ones after it still count.
    EXPECT_EQ(Image::fromQrcodeFeatures({"https://example.com/page", none, "TEL:+33123456789"}),
              (Image{.id = "TEL:+33123456789", .title = title, .documentId = "TEL:+33123456789",
                     .actions = std::vector<Action>{Action::fromCodeUrl("https://example.com/page"),
                                                    Action::fromZbarData("+33123456789", ActionType::Phone)}}));
    for (const auto& payloads : {std::vector<std::optional<std::string>>{},
                                 std::vector<std::optional<std::string>>{none, none}}) {
        Image image = Image::fromQrcodeFeatures(payloads);
        EXPECT_EQ(image, Image{});
        EXPECT_FALSE(image.actions) << "no code read gives no list, not an empty one";
    }
}

TEST(QrImage, PayloadsAreLoggedEscaped) {
    platform::LogCapture log;
    Image::fromQrcodeFeatures({"TEL:1\nfeatureMessage :: forged\x1b[2J", std::nullopt, "plain"});
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"featureMessage :: TEL:1\\nfeatureMessage :: forged\\x1b[2J",
                                                     "featureMessage :: plain"}));
}

}  // namespace
}  // namespace vistrel
