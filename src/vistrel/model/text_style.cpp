#include "vistrel/model/text_style.hpp"

#include "vistrel/model/members.hpp"
#include "vistrel/model/style_reading.hpp"
#include "vistrel/model/value_reading.hpp"

namespace vistrel {

namespace {

template <typename Members>
std::optional<HorizontalPosition> readHorizontal(const Members& members, std::string_view key) {
    auto text = members.text(key);
    return text ? horizontalPositionFromRawValue(*text) : std::nullopt;
}

template <typename Members>
std::optional<VerticalPosition> readVertical(const Members& members, std::string_view key) {
    auto text = members.text(key);
    return text ? verticalPositionFromRawValue(*text) : std::nullopt;
}

}  // namespace

template <typename Members>
Text readText(const Members& members) {
    Text style;
    style.color = members.string("color");
    style.opacity = members.floatFromTextOrNumber("opacity");
    if (style.color && style.color->find("rgba") != std::string::npos) style.rgbaColor = style.color;

    if (auto text = members.text("font-style")) style.fontStyle = fontStyleFromRawValue(*text);
    if (auto text = members.text("font-weight")) style.fontWeight = fontWeightFromRawValue(*text);

    if (auto text = members.text("font-size"))
        style.fontSize = value_reading::wholeInteger(*text);
    else
        style.fontSize = Text::defaultFontSize;

    style.display = members.textFlag("display");
    style.hposition = readHorizontal(members, "hposition");
    style.vposition = readVertical(members, "vposition");
    style.backgroundColor = members.string("background-color");
    return style;
}

template Text readText(const Members&);
template Text readText(const ViewMembers&);

Text Text::fromJson(const JSON& json) { return readText(Members(json)); }

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

template <typename Members>
Icon readIcon(const Members& members) {
    Icon icon;
    if (auto text = members.text("size")) icon.size = value_reading::wholeDouble(*text);
    icon.display = members.textFlag("display");
    icon.hposition = readHorizontal(members, "hposition");
    icon.vposition = readVertical(members, "vposition");
    return icon;
}

template Icon readIcon(const Members&);
template Icon readIcon(const ViewMembers&);

Icon Icon::fromJson(const JSON& json) { return readIcon(Members(json)); }

}  // namespace vistrel
