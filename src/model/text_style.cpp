#include "model/text_style.hpp"

#include "model/members.hpp"
#include "model/value_reading.hpp"

namespace vistrel {

namespace {

std::optional<HorizontalPosition> readHorizontal(const Members& members, std::string_view key) {
    const std::string* text = members.text(key);
    return text ? horizontalPositionFromRawValue(*text) : std::nullopt;
}

std::optional<VerticalPosition> readVertical(const Members& members, std::string_view key) {
    const std::string* text = members.text(key);
    return text ? verticalPositionFromRawValue(*text) : std::nullopt;
}

}  // namespace

Text Text::fromJson(const JSON& json) {
    const Members members(json);
    Text style;
    style.color = members.string("color");
    style.opacity = members.floatFromTextOrNumber("opacity");
    if (style.color && style.color->find("rgba") != std::string::npos) style.rgbaColor = style.color;

    if (const std::string* text = members.text("font-style")) style.fontStyle = fontStyleFromRawValue(*text);
    if (const std::string* text = members.text("font-weight")) style.fontWeight = fontWeightFromRawValue(*text);

    if (const std::string* text = members.text("font-size"))
        style.fontSize = value_reading::wholeInteger(*text);
    else
        style.fontSize = defaultFontSize;

    style.display = members.textFlag("display");
    style.hposition = readHorizontal(members, "hposition");
    style.vposition = readVertical(members, "vposition");
    style.backgroundColor = members.string("background-color");
    return style;
}

Text Text::fromQrCodeType(QrCodeType type) {
    Text style;
    switch (type) {
    case QrCodeType::url:
        style.color = "#FFFFFF";
        style.opacity = 1.0f;
        style.backgroundColor = "rgba(0, 0, 0, 0)";
        break;
    }
    return style;
}

Icon Icon::fromJson(const JSON& json) {
    const Members members(json);
    Icon icon;
    if (const std::string* text = members.text("size")) icon.size = value_reading::wholeDouble(*text);
    icon.display = members.textFlag("display");
    icon.hposition = readHorizontal(members, "hposition");
    icon.vposition = readVertical(members, "vposition");
    return icon;
}

}  // namespace vistrel
