#pragma once
// A recognised ("enriched") image: the registered page a photo was matched to, with its
// identifiers, title and title style, auto-trigger flag and actions. Read from the
// recognition service's answer, or built on the device from QR codes.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vistrel/core/json/json.hpp"
#include "vistrel/model/action.hpp"
#include "vistrel/model/style.hpp"

namespace vistrel {

struct Image {
    std::optional<std::string> id{};               // "Id": keys the history record and its photo
    std::optional<std::intptr_t> order{};          // "Order"
    std::optional<std::string> title{};            // "Title"
    std::optional<std::string> sessionId{};        // "SessionId", sent with each click report
    std::optional<std::string> documentId{};       // "DocumentId"
    std::optional<Style> titleStyle{};             // "TitleStyle", a text holding the style object
    std::optional<bool> autoTrigger{};             // "AutoTrigger", a JSON boolean only
    std::optional<std::string> languageCode{};     // "LanguageCode"
    std::optional<std::string> bigThumbnailUrl{};  // "BigThumbnailUrl"
    std::optional<std::vector<Action>> actions{};  // "Actions", in the answer's order, at most maxActions

    // The most actions read of an answer, far more than a page shows: the rest are left
    // out with a log line giving their number.
    static constexpr std::size_t maxActions = 1000;

    // Reads an answer document. Never fails: members missing, null or of another kind
    // stay absent, and a document that is not an object gives an image with every field
    // absent. Logs "*** Image ***" and the start of the document's description first
    // (platform::logExcerpt; not when the log is discarded, see platform::isLogging).
    static Image fromJson(const JSON& json);
    // fromJson of the bytes read as JSON text (bytes that are not JSON give the null value).
    static Image fromData(std::string_view data);
    // The image of an answer's bytes, none when they are not a JSON object. Only the
    // actions kept are converted from the text, so a long list costs no more memory
    // than its first maxActions.
    static std::optional<Image> fromAnswer(std::string_view data);

    // The image of the QR codes found in a photo (built in qr_image.cpp), given their
    // payloads in detection order; an absent payload is a code that could not be read.
    static Image fromQrcodeFeatures(const std::vector<std::optional<std::string>>& payloads);

    friend bool operator==(const Image&, const Image&) = default;
};

}  // namespace vistrel
