#pragma once
// The display style of an image's title bar or of an action row, as the service sends
// it: a model name and "button", "icon" and "text" sections. Only the text section's
// default font size is filled in here; everything else absent stays absent.
#include <optional>
#include <string>

#include "vistrel/core/json/json.hpp"
#include "vistrel/model/button_style.hpp"
#include "vistrel/model/style_enums.hpp"
#include "vistrel/model/text_style.hpp"

namespace vistrel {

struct Style {
    std::optional<std::string> model{};
    std::optional<Button> button{};
    std::optional<Icon> icon{};
    std::optional<Text> text{};
    std::optional<QrCodeType> qrCodeType{};  // only in styles made for QR-code actions

    // Reads a style object; a section counts only when it is a JSON object, and anything
    // but an object gives a style with every field absent. Never fails.
    static Style fromJson(const JSON& json);
    // The fixed style of QR-code actions: their button and text, no icon, no model.
    static Style fromQrCodeType(QrCodeType type);

    friend bool operator==(const Style&, const Style&) = default;
};

}  // namespace vistrel
