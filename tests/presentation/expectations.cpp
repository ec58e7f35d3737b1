#include <functional>
#include <map>
#include <string>

#include "model/answer_fixtures.hpp"
#include "presentation_fixtures.hpp"
#include "vistrel/core/fonts.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/model/image.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/font_configuration.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"
#include "vistrel/presentation/action_view_model.hpp"
#include "vistrel/presentation/image_view_model.hpp"

namespace presentationtest {

using vistrel::ActionViewModel;
using vistrel::ImageViewModel;
using vistrel::JSON;

namespace {

JSON color(const platform::graphics::Color& c) { return std::vector<JSON>{c.r, c.g, c.b, c.a}; }

// [face, size]; "default" stands for the registry's default face.
JSON font(const std::optional<platform::graphics::Font>& f) {
    if (!f) return JSON();
    auto fallback = platform::graphics::FontRegistry::shared().defaultFont(12);
    std::string face = fallback && f->postScriptName == fallback->postScriptName ? "default" : f->postScriptName;
    return std::vector<JSON>{face, f->pointSize};
}

std::vector<JSON> shownIds(const ImageViewModel& model) {
    std::vector<JSON> ids;
    for (std::intptr_t i = 0; i < model.numberOfActions(); ++i) ids.emplace_back(model.idForAction(i));
    return ids;
}

using ImageValue = std::function<JSON(const vistrel::Image&, const ImageViewModel&)>;
const std::map<std::string, ImageValue> imageValues = {
    {"order", [](auto&, auto& m) { return JSON(shownIds(m)); }},
    {"orderUnfiltered", [](auto& i, auto&) { return JSON(shownIds(ImageViewModel(i, false))); }},
    {"autoTrigger", [](auto&, auto& m) { return JSON(m.shouldAutoTrigger()); }},
    {"autoTriggerUnfiltered", [](auto& i, auto&) { return JSON(ImageViewModel(i, false).shouldAutoTrigger()); }},
    {"count", [](auto&, auto& m) { return JSON(m.numberOfActions()); }},
    {"documentId", [](auto&, auto& m) { return JSON(m.imageDocumentId()); }},
    {"display", [](auto&, auto& m) { return JSON(m.buttonDisplay()); }},
    {"background", [](auto&, auto& m) { return color(m.buttonBackgroundColor()); }},
    {"textColor", [](auto&, auto& m) { return color(m.textColor()); }},
    {"imageTextColor", [](auto&, auto& m) { return color(m.imageTextColor()); }},
    {"titleFont", [](auto&, auto& m) { return font(m.textFont()); }},
};

using RowValue = std::function<JSON(const ImageViewModel&, std::intptr_t, const ActionViewModel&)>;
const std::map<std::string, RowValue> rowValues = {
    {"url", [](auto& m, auto p, auto&) { return JSON(m.urlForAction(p)); }},
    {"shareUrl", [](auto& m, auto p, auto&) { return JSON(m.shareUrlForAction(p)); }},
    {"shareContent", [](auto& m, auto p, auto&) { return JSON(m.shareContentForAction(p)); }},
    {"phoneNumber", [](auto& m, auto p, auto&) { return JSON(m.phoneNumberForAction(p)); }},
    {"smsNumber", [](auto& m, auto p, auto&) { return JSON(m.smsNumberForAction(p)); }},
    {"smsContent", [](auto& m, auto p, auto&) { return JSON(m.smsContentForAction(p)); }},
    {"emailAddress", [](auto& m, auto p, auto&) { return JSON(m.emailAddressForAction(p)); }},
    {"emailSubject", [](auto& m, auto p, auto&) { return JSON(m.emailSubjectForAction(p)); }},
    {"emailContent", [](auto& m, auto p, auto&) { return JSON(m.emailContentForAction(p)); }},
    {"mapLatitude", [](auto& m, auto p, auto&) { return JSON(m.mapLatitudeForAction(p)); }},
    {"mapLongitude", [](auto& m, auto p, auto&) { return JSON(m.mapLongitudeForAction(p)); }},
    {"mapSearchAddress", [](auto& m, auto p, auto&) { return JSON(m.mapSearchAddressForAction(p)); }},
    {"text", [](auto& m, auto p, auto&) { return JSON(m.textForAction(p)); }},
    {"urlContentType", [](auto& m, auto p, auto&) { return JSON(m.urlContentTypeTypeForAction(p)); }},
    {"isEmbeddedWebView", [](auto& m, auto p, auto&) { return JSON(m.isEmbeddedWebViewForAction(p)); }},
    {"isAnonymousURL", [](auto& m, auto p, auto&) { return JSON(m.isAnonymousURLForAction(p)); }},
    {"contentJSON", [](auto& m, auto p, auto&) { return m.contentJSONForAction(p).value_or(JSON()); }},
    {"height343", [](auto& m, auto p, auto&) { return JSON(m.buttonHeightForAction(p, 343)); }},
    {"hasRatio", [](auto&, auto, auto& r) { return JSON(r.buttonHasRatio()); }},
    {"ratio", [](auto&, auto, auto& r) { return JSON(r.buttonHeightRatio()); }},
    {"multiplier", [](auto&, auto, auto& r) { return JSON(r.buttonHeightMultiplier()); }},
    {"radius", [](auto&, auto, auto& r) { return JSON(r.buttonRadius()); }},
    {"display", [](auto&, auto, auto& r) { return JSON(r.buttonDisplay()); }},
    {"imageSize", [](auto&, auto, auto& r) { return JSON(rawValue(r.buttonBackgroundImageSize())); }},
    {"imagePosition", [](auto&, auto, auto& r) { return JSON(rawValue(r.buttonBackgroundImagePosition())); }},
    {"backgroundImage", [](auto&, auto, auto& r) { return JSON(r.buttonBackgroundImage()); }},
    {"iconUrl", [](auto&, auto, auto& r) { return JSON(r.iconUrl()); }},
    {"iconStyleAvailable", [](auto&, auto, auto& r) { return JSON(r.iconStyleAvailable()); }},
    {"iconSize", [](auto&, auto, auto& r) { return JSON(r.iconSize()); }},
    {"iconDisplay", [](auto&, auto, auto& r) { return JSON(r.iconDisplay()); }},
    {"iconV", [](auto&, auto, auto& r) { return JSON(rawValue(r.iconVerticalPosition())); }},
    {"iconH", [](auto&, auto, auto& r) { return JSON(rawValue(r.iconHorizontalPosition())); }},
    {"textDisplay", [](auto&, auto, auto& r) { return JSON(r.textDisplay()); }},
    {"textV", [](auto&, auto, auto& r) { return JSON(rawValue(r.textVerticalPosition())); }},
    {"textH", [](auto&, auto, auto& r) { return JSON(rawValue(r.textHorizontalPosition())); }},
    {"textColor", [](auto&, auto, auto& r) { return color(r.textColor()); }},
    {"textBackgroundColor", [](auto&, auto, auto& r) { return color(r.textBackgroundColor()); }},
    {"buttonBackgroundColor", [](auto&, auto, auto& r) { return color(r.buttonBackgroundColor()); }},
    {"font", [](auto&, auto, auto& r) { return font(r.textFont()); }},
    {"fontSize", [](auto&, auto, auto& r) { return JSON(r.textFontSize()); }},
};

// Numbers agree within 1e-6 (single-precision values are widened), arrays element by element.
bool near(const JSON& actual, const JSON& expected) {
    if (actual.type() == vistrel::Type::number && expected.type() == vistrel::Type::number)
        return std::abs(actual.doubleValue() - expected.doubleValue()) <= 1e-6;
    if (actual.type() != vistrel::Type::array || expected.type() != vistrel::Type::array) return actual == expected;
    auto a = actual.arrayValue(), e = expected.arrayValue();
    if (a.size() != e.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!near(a[i], e[i])) return false;
    return true;
}

template <typename Values, typename... Args>
void expectAll(const Values& values, const JSON& expectations, const std::string& context, const Args&... args) {
    for (const auto& [key, expected] : expectations.dictionaryValue()) {
        auto value = values.find(key);
        if (value == values.end()) {
            ADD_FAILURE() << context << ": no value named " << key;
            continue;
        }
        JSON actual = value->second(args...);
        EXPECT_TRUE(near(actual, expected)) << context << " " << key << ": got " << actual.rawString(
            vistrel::StringEncoding::utf8, vistrel::WritingOptions::none).value_or("?") << ", expected "
            << expected.rawString(vistrel::StringEncoding::utf8, vistrel::WritingOptions::none).value_or("?");
    }
}

}  // namespace

std::vector<JSON> fixtureAnswers(std::string_view name) {
    JSON document = JSON::parse(modeltest::fixtureText(name));
    return document.type() == vistrel::Type::array ? document.arrayValue() : std::vector<JSON>{document};
}

void checkExpectations(const JSON& answer) {
    vistrel::Image image = [&] {
        platform::LogCapture quiet;
        return vistrel::Image::fromJson(answer);
    }();
    std::string id = answer["Id"].stringValue();
    ImageViewModel model(image);
    expectAll(imageValues, answer["Expect"], id, image, model);
    for (const JSON& action : answer["Actions"].arrayValue()) {
        if (!action["Expect"].exists()) continue;
        std::string actionId = action["Id"].stringValue();
        std::intptr_t position = -1;
        for (std::intptr_t i = 0; i < model.numberOfActions(); ++i)
            if (model.idForAction(i) == actionId) position = i;
        auto row = model.viewModelForAction(position);
        if (!row) {
            ADD_FAILURE() << actionId << " is not shown";
            continue;
        }
        platform::LogCapture quiet;
        expectAll(rowValues, action["Expect"], id + "/" + actionId, model, position, *row);
    }
}

void TextFontsTest::SetUpTestSuite() {
    platform::graphics::useIsolatedFontConfiguration();
    if (platform::graphics::FontRegistry::shared().font("SFProText-Regular", 12)) return;
    platform::LogCapture quiet;
    vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{VISTREL_BUILD_BUNDLE});
    vistrel::registerFontsWithFilenames({"SFProText-Regular.ttf", "SFProText-RegularItalic.ttf", "SFProText-Heavy.ttf"});
    vistrel::overrideBundleLocations(std::nullopt);
}

}  // namespace presentationtest
