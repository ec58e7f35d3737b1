#pragma once
// One thing the user can do with a recognised image: its kind, what it acts on, how its
// row looks, and its ordering inputs. Read from one element of an answer's "Actions",
// or built on the device from a QR code.
#include <cstdint>
#include <optional>
#include <string>

#include "vistrel/core/json/json.hpp"
#include "vistrel/model/action_type.hpp"
#include "vistrel/model/content.hpp"
#include "vistrel/model/style.hpp"

namespace vistrel {

class StyleTexts;

struct Action {
    std::optional<std::string> id{};               // "Id", sent back with the click report
    std::optional<std::string> name{};             // "Name", the row's label
    std::optional<std::string> languageCode{};     // "LanguageCode"
    std::optional<std::intptr_t> priority{};       // "Priority"
    std::optional<std::intptr_t> order{};          // "Order"
    std::optional<Style> style{};                  // "Style", a text holding the style object
    std::optional<ActionType> type{};              // "Type"; absent when the text names no kind
    std::optional<std::string> icon{};             // "Icon", an image address
    std::optional<std::string> backgroundImage{};  // "BackgroundImage", an image address
    std::optional<Content> content{};              // "Content", a text holding the content object
    bool isQrCode = false;                       // true only for actions made from QR codes

    // Reads one element of "Actions". Never fails: what is missing, null or of another
    // kind stays absent; "Content" is read only when "Type" named a kind; content and
    // style texts that are not JSON give a present content or style with nothing in it.
    static Action fromJson(const JSON& json);
    // The same, with style texts read once for all the actions of one answer.
    static Action fromJson(const JSON& json, StyleTexts& styles);

    // QR-code actions (built in qr_image.cpp): `data` as the name and in the content the
    // kind calls for ("Url", "Number", "Text"), order and priority -1000, the fixed QR
    // style and isQrCode set.
    static Action fromZbarData(const std::string& zbarData, ActionType type);
    // The URL action for any text: fromZbarData(codeUrl, ActionType::Url).
    static Action fromCodeUrl(const std::string& codeUrl);

    friend bool operator==(const Action&, const Action&) = default;
};

}  // namespace vistrel
