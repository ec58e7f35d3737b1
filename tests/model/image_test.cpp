// Reading the recognition service's answer into an Image, from fixture documents.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "answer_fixtures.hpp"
#include "vistrel/model/image.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace vistrel {
namespace {

using modeltest::readAnswer;
using modeltest::readAnswerText;

TEST(ImageReading, FullAnswerFillsEveryField) {
    Image image = readAnswer("full_answer.json");
    const Style titleStyle{
        .model = "title",
        .button = Button{.backgroundColor = "#000000", .opacity = 0.6f, .display = false, .height = Height{2, {}, {}}},
        .text = Text{.color = "#FFFFFF", .fontWeight = FontWeight::bold, .fontSize = 16,
                     .hposition = HorizontalPosition::center}};
    EXPECT_EQ(image, (Image{.id = "5f1c2a9e-img-0001", .order = 2, .title = "Spring catalogue",
                            .sessionId = "b7d4e0c2-session", .documentId = "doc-42", .titleStyle = titleStyle,
                            .autoTrigger = false, .languageCode = "fr",
                            .bigThumbnailUrl = "https://example.com/thumbs/big/5f1c2a9e.jpg",
                            .actions = image.actions}));

    ASSERT_TRUE(image.actions);
    const std::vector<ActionType> kinds = {ActionType::Calendar, ActionType::Url,   ActionType::VCard,
                                           ActionType::Share,    ActionType::Email, ActionType::Data,
                                           ActionType::Sms,      ActionType::Map,   ActionType::Phone,
                                           ActionType::Text,     ActionType::Unknown};
    ASSERT_EQ(image.actions->size(), kinds.size());
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        const Action& action = (*image.actions)[i];
        ASSERT_TRUE(action.content) << i;
        EXPECT_EQ(std::tuple(action.type, action.order, action.priority, action.isQrCode, action.content->type),
                  std::tuple(kinds[i], std::intptr_t(i + 1), std::intptr_t(i), false, kinds[i]))
            << i;
    }
    const auto& a = *image.actions;
    using Texts = std::vector<std::optional<std::string>>;
    EXPECT_EQ((Texts{a[1].id, a[1].name, a[1].languageCode, a[1].icon, a[1].backgroundImage, a[1].content->url(),
                     a[1].content->urlContentType()}),
              (Texts{"a-url", "Visit our site", "fr", "https://example.com/icons/web.png", "https://example.com/bg/url.png",
                     "https://example.com/spring?ref=scan&lang=fr", "text/html"}));
    EXPECT_EQ(std::tuple(a[1].content->isEmbeddedWebView(), a[1].content->isAnonymousURL()), std::tuple(true, false));
    EXPECT_EQ(a[5].content->text(), "campaign=spring; r\xC3\xA9gion=\xC3\x8Ele-de-France \xE2\x9C\x93");
    EXPECT_EQ(std::tuple(a[7].content->mapLatitude(), a[7].content->mapLongitude()), std::tuple(48.8566, 2.0));

    // The row style of the first action, every section and field.
    EXPECT_EQ(a[0].style,
              (Style{.model = "default",
                     .button = Button{"#1A2B3C", 0.5f, std::nullopt, true, 8, Height{std::nullopt, 16.0f, 9.0f},
                                      ImageSize::contain, HorizontalPosition::right},
                     .icon = Icon{24.0, true, HorizontalPosition::left, VerticalPosition::center},
                     .text = Text{"rgba(255, 255, 255, 0.9)", 0.8f, "rgba(255, 255, 255, 0.9)", FontWeight::bold,
                                  FontStyle::italic, 14, true, HorizontalPosition::center, VerticalPosition::top,
                                  "rgba(0, 0, 0, 0)"}}));
    // Empty sections are present; only the text section gets a size of its own.
    EXPECT_EQ(a[1].style, (Style{.button = Button{}, .icon = Icon{}, .text = Text{.fontSize = 16}}));
    EXPECT_FALSE(a[2].style) << "no \"Style\" member";
}

TEST(ImageReading, MembersOfTheWrongKindStayAbsent) {
    EXPECT_EQ(readAnswer("wrong_kinds_image.json"), Image{});
    EXPECT_EQ(readAnswer("too_deep.json"), Image{}) << "a document deeper than the reader takes";
}

TEST(ImageReading, DocumentEdgeCases) {
    struct Case { std::string text; Image expected; };
    const std::vector<Case> cases = {
        {"", {}}, {"[{\"Id\": \"x\"}]", {}}, {R"({"Id": ""})", {.id = ""}}, {R"({"Order": true})", {.order = 1}},
        {R"({"Order": 1e300})", {.order = INTPTR_MAX}}, {R"({"AutoTrigger": true})", {.autoTrigger = true}},
        {R"({"TitleStyle": "[1, 2]"})", {.titleStyle = Style{}}}, {R"({"Actions": "[]"})", {}},
        {R"({"Actions": []})", {.actions = std::vector<Action>{}}},
    };
    for (const auto& c : cases) EXPECT_EQ(readAnswerText(c.text), c.expected) << c.text;
}

TEST(ImageReading, MalformedNestedTextsGiveEmptyStylesAndContents) {
    Image image = readAnswer("malformed_nested.json");
    EXPECT_EQ(std::tuple(image.id, image.titleStyle), std::tuple("img-malformed", Style{}))
        << "a truncated style text gives a present, empty style";
    ASSERT_EQ(image.actions.value_or(std::vector<Action>{}).size(), 9u);
    const std::vector<std::pair<std::string, ActionType>> unreadable = {
        {"not-json", ActionType::Text}, {"array", ActionType::Text},    {"string", ActionType::Text},
        {"empty", ActionType::Sms},     {"control", ActionType::Text},  {"trailing", ActionType::Email},
        {"number", ActionType::Phone},  {"huge-number", ActionType::Map},
    };
    for (std::size_t i = 0; i < unreadable.size(); ++i) {
        const Action& action = (*image.actions)[i];
        const auto& [id, kind] = unreadable[i];
        ASSERT_TRUE(action.content && action.style) << id;
        EXPECT_EQ(std::tuple(action.id, action.content->type), std::tuple(std::optional(id), kind));
        const Content& content = *action.content;
        EXPECT_FALSE(content.text() || content.smsNumber() || content.emailAddress() || content.phoneNumber() ||
                     content.mapLatitude())
            << id;
        if (id == "huge-number")
            EXPECT_EQ(action.style->icon, Icon{}) << "a size beyond the double range is no size";
        else
            EXPECT_EQ(*action.style, Style{}) << id;
    }
    const Action& last = image.actions->back();
    EXPECT_EQ(std::tuple(last.content->text(), last.style->model), std::tuple("still read", "still read"));
}

TEST(ImageReading, DeepNestingIsReadOverWithoutHarm) {
    Image image = readAnswer("deep_nesting.json");
    EXPECT_EQ(std::tuple(image.id, image.title), std::tuple("img-deep", "deep"));
    EXPECT_EQ(image.titleStyle, Style{}) << "a style text nested deeper than the reader takes";
    ASSERT_EQ(image.actions.value_or(std::vector<Action>{}).size(), 2u);
    const Action& tooDeep = (*image.actions)[0];
    ASSERT_TRUE(tooDeep.content);
    EXPECT_EQ(std::tuple(tooDeep.content->json.type(), tooDeep.style), std::tuple(Type::null, Style{}));
    const Action& readable = (*image.actions)[1];
    ASSERT_TRUE(readable.content && readable.style);
    EXPECT_EQ(std::tuple(readable.content->text(), readable.style->model, readable.style->button),
              std::tuple("t", "m", Button{.radius = 4}));
}

// Style texts are read off the parsed text rather than through a JSON value, and rows
// share repeated texts: each row must get exactly the style its own text's value gives,
// also when more distinct texts come than are remembered and when texts differ only late.
TEST(ImageReading, StyleTextsReadAsTheirParsedValue) {
    auto quoted = [](const std::string& text) {  // the text as a JSON string literal
        const std::string list = JSON::arrayLiteral({JSON(text)}).rawData().value_or("[]");
        return list.substr(1, list.size() - 2);
    };
    std::vector<std::string> texts = {
        "not JSON", "{\"model\": ",
        R"j({"model": "m", "model": "last"})j",
        R"j({"button": {"radius": "8"}, "button": "replaced"})j",
        R"j({"button": "first", "button": {"radius": "9"}})j",
        R"j({"button": {"opacity": true, "height": "2", "radius": "+8"}})j",
        R"j({"button": {"opacity": 123456789012345678901234567890, "radius": 8}})j",
        R"j({"icon": {"size": 24, "vposition": "bottom"}, "text": [], "model": 3})j",
        R"j({"t\u0065xt": {"c\u006flor": "\u00e9"}, "model": "\u0000x"})j",
    };
    // Sections with more members than are listed at once; the later "color" counts.
    std::string many = R"({"text": {"color": "first")";
    for (int i = 0; i < 20; ++i) many += ",\"k" + std::to_string(i) + "\": \"" + std::to_string(i) + "\"";
    texts.push_back(many + R"(, "color": "last", "font-size": "12"}, "icon": {"size": "3"}})");
    for (int radius : {1, 2, 1, 3, 4, 5, 6, 1, 2, 2})
        texts.push_back(R"({"model":"m","button":{"radius":")" + std::to_string(radius) + R"("}})");
    // All of them as the rows of one answer, twice over.
    std::string answer = R"({"Actions":[)";
    for (int pass = 0; pass < 2; ++pass)
        for (std::size_t i = 0; i < texts.size(); ++i) {
            answer += pass || i ? "," : "";
            answer += R"({"Style":)";
            answer += quoted(texts[i]);
            answer += '}';
        }
    Image image = readAnswerText(answer + "]}");
    ASSERT_EQ(image.actions.value_or(std::vector<Action>{}).size(), 2 * texts.size());
    for (std::size_t i = 0; i < image.actions->size(); ++i) {
        const std::string& text = texts[i % texts.size()];
        EXPECT_EQ((*image.actions)[i].style, Style::fromJson(JSON::parseJSON(text))) << i << " " << text.substr(0, 80);
    }
}

TEST(ImageReading, LogsTheBannerAndTheDocument) {
    platform::LogCapture log;
    const std::string bytes = R"({"Id": "a", "Actions": [1, {"Type": "TEXT", "Content": "{}"}]})";
    Image listened = Image::fromData(bytes);
    std::vector<std::string> lines = log.lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "*** Image ***");
    std::string joined;
    for (std::size_t i = 1; i < lines.size(); ++i) joined += (i > 1 ? "\n" : "") + lines[i];
    EXPECT_EQ(joined, JSON::parseJSON(bytes).description());
    // With the log discarded the answer reads the same.
    platform::LogSink previous = platform::setLogSink(platform::discardLine);
    Image discarded = Image::fromData(bytes);
    platform::setLogSink(std::move(previous));
    EXPECT_EQ(discarded, listened);
}

// A long answer (here 200,000 numbers, a line each) is logged by its start only: a few
// KB at most, then how much was left out.
TEST(ImageReading, LogsOnlyTheStartOfALongDocument) {
    std::string bytes = R"({"Id": "long", "Rest": [1)";
    for (int i = 1; i < 200000; ++i) bytes += ",1";
    bytes += "]}";
    platform::LogCapture log;
    EXPECT_EQ(Image::fromData(bytes).id, "long");
    std::vector<std::string> lines = log.lines();
    ASSERT_GE(lines.size(), 3u);
    ASSERT_LE(lines.size(), 42u);
    std::string joined;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) joined += lines[i] + "\n";
    EXPECT_LE(joined.size(), 4096u);
    const std::string description = JSON::parseJSON(bytes).description();
    EXPECT_TRUE(description.starts_with(joined)) << joined;
    const std::string rest = description.substr(joined.size());
    EXPECT_EQ(lines.back(), "[left out: " + std::to_string(rest.size()) + " bytes in " +
                                std::to_string(std::count(rest.begin(), rest.end(), '\n') + 1) + " lines]");
}

// An answer gives at most Image::maxActions actions, the first ones in its order; how
// many were left out is logged once. At the bound nothing is left out or logged.
TEST(ImageReading, ActionsPastTheBoundAreLeftOut) {
    for (std::size_t count : {std::size_t{1000}, std::size_t{1001}, std::size_t{200000}}) {
        SCOPED_TRACE(count);
        std::string bytes = R"({"Id": "many", "Actions": [)";
        for (std::size_t i = 0; i < count; ++i)
            bytes.append(i ? "," : "").append(R"({"Id": "a)").append(std::to_string(i)).append(R"("})");
        bytes += "]}";
        platform::LogCapture log;
        const Image image = Image::fromData(bytes);
        // An answer read whole first reads the same, and says the same.
        EXPECT_EQ(Image::fromJson(JSON::fromData(bytes)), image);
        ASSERT_TRUE(image.actions);
        ASSERT_EQ(image.actions->size(), std::min<std::size_t>(count, Image::maxActions));
        EXPECT_EQ(std::pair(image.actions->front().id, image.actions->back().id),
                  std::pair(std::optional<std::string>("a0"), std::optional<std::string>("a999")));
        EXPECT_EQ(log.count("actions left out"), count > 1000 ? 2u : 0u);
        if (count > 1000) {
            EXPECT_TRUE(log.contains("Image :: " + std::to_string(count - 1000) + " actions left out"));
        }
    }
}

// The answer read from its bytes, with only the kept actions converted, is the image of
// the whole document; bytes that are not a JSON object give none.
TEST(ImageReading, AnAnswerReadFromItsBytesIsTheImageOfTheWholeDocument) {
    std::vector<std::string> objects;
    for (const char* name : {"full_answer.json", "malformed_nested.json", "wrong_kinds_actions.json",
                             "wrong_kinds_image.json", "deep_nesting.json", "presentation_order.json"})
        objects.push_back(modeltest::fixtureText(name));
    objects.insert(objects.end(), {R"({"Actions": [{"Id": "first"}], "Id": "x", "Actions": [{"Id": "last"}]})",
                                   R"({"Actions": [{"Id": "a"}], "Actions": "not a list"})", R"({"Actions": []})",
                                   R"({"Actions": [1, null, "x", [], {"Id": 2}]})"});
    platform::LogCapture quiet;
    for (const std::string& text : objects) {
        const std::optional<Image> image = Image::fromAnswer(text);
        ASSERT_TRUE(image) << text.substr(0, 80);
        EXPECT_EQ(*image, Image::fromJson(JSON::fromData(text))) << text.substr(0, 80);
    }
    for (const std::string& text :
         {std::string(), std::string("[{\"Id\": \"x\"}]"), std::string("\"text\""), std::string("{\"Id\":"),
          modeltest::fixtureText("too_deep.json")})
        EXPECT_EQ(Image::fromAnswer(text), std::nullopt) << text.substr(0, 80);
}

TEST(ImageReading, LoggedDocumentCannotForgeLines) {
    platform::LogCapture log;
    // A title holding a DEL (which JSON text may carry raw) and an escape sequence, and an
    // identifier that tries to start a line of its own.
    Image image = Image::fromData("{\"Title\": \"a\x7f\\u001b[2Jb\\nc\", \"Id\": \"\\r*** Image ***\"}");
    EXPECT_EQ(image.title, "a\x7f\x1b[2Jb\nc");
    EXPECT_EQ(log.count("*** Image ***"), 2u) << "the banner, and the Id's text inside its quoted line";
    for (const std::string& line : log.lines()) {
        for (unsigned char c : line) EXPECT_TRUE(c >= 0x20 && c != 0x7f) << "raw control byte in: " << line;
        EXPECT_TRUE(line == "*** Image ***" || !line.starts_with("*** Image ***")) << line;
    }
}

}  // namespace
}  // namespace vistrel
