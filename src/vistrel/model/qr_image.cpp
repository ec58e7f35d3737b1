#include "vistrel/model/qr_image.hpp"

#include <map>

#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace vistrel {

namespace {

constexpr std::intptr_t qrOrder = -1000;

bool containsIgnoringCase(std::string_view text, std::string_view upperWord) {
    if (upperWord.size() > text.size()) return false;
    for (std::size_t start = 0; start + upperWord.size() <= text.size(); ++start) {
        std::size_t i = 0;
        while (i < upperWord.size()) {
            char c = text[start + i];
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            if (c != upperWord[i]) break;
            ++i;
        }
        if (i == upperWord.size()) return true;
    }
    return false;
}

JSON contentObject(const std::string& data, ActionType type) {
    std::map<std::string, JSON> members;
    switch (type) {
    case ActionType::Url:
        members = {{"Url", JSON(data)},
                   {"IsEmbeddedWebView", JSON(true)},
                   {"IsAnonymousURL", JSON(true)},
                   {"ContentType", JSON("text/html")}};
        break;
    case ActionType::Sms: members = {{"Number", JSON(data)}, {"Content", JSON("")}}; break;
    case ActionType::Phone: members = {{"Number", JSON(data)}}; break;
    case ActionType::Text: members = {{"Text", JSON(data)}}; break;
    default: break;  // other kinds carry nothing from a code
    }
    return JSON(members);
}

}  // namespace

QrPayload classifyQrPayload(std::string_view payload) {
    if (containsIgnoringCase(payload, "HTTP")) return {ActionType::Url, std::string(payload)};
    std::optional<ActionType> numberKind;
    if (containsIgnoringCase(payload, "SMSTO"))
        numberKind = ActionType::Sms;
    else if (containsIgnoringCase(payload, "TEL"))
        numberKind = ActionType::Phone;
    if (numberKind) {
        auto first = payload.find(':');
        if (first != std::string_view::npos) {
            std::string_view rest = payload.substr(first + 1);
            return {*numberKind, std::string(rest.substr(0, rest.find(':')))};
        }
    }
    return {ActionType::Text, std::string(payload)};
}

Action Action::fromZbarData(const std::string& zbarData, ActionType type) {
    Action action;
    action.isQrCode = true;
    action.name = zbarData;
    action.type = type;
    action.order = qrOrder;
    action.priority = qrOrder;
    action.content.emplace(contentObject(zbarData, type), type);
    action.style = Style::fromQrCodeType(QrCodeType::url);
    return action;
}

Action Action::fromCodeUrl(const std::string& codeUrl) { return fromZbarData(codeUrl, ActionType::Url); }

Image Image::fromQrcodeFeatures(const std::vector<std::optional<std::string>>& payloads) {
    Image image;
    for (const auto& payload : payloads) {
        // A code that could not be read is passed over; the codes after it still count.
        if (!payload) continue;
        platform::log(platform::concatenate("featureMessage :: ", platform::excerptOnOneLine(*payload)));
        image.id = *payload;
        image.documentId = *payload;
        image.title = tr("zbar.qrcode_detected");
        QrPayload kind = classifyQrPayload(*payload);
        if (!image.actions) image.actions.emplace();
        image.actions->push_back(Action::fromZbarData(kind.data, kind.type));
    }
    return image;
}

}  // namespace vistrel
