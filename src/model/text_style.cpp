#include "model/text_style.hpp"

#include "model/value_reading.hpp"

namespace vistrel {

namespace {

std::optional<HorizontalPosition> readHorizontal(const JSON& value) {
    auto text = value.string();
    return text ? horizontalPositionFromRawValue(*text) : std::nullopt;
}

std::optional<VerticalPosition> readVertical(const JSON& value) {
    auto text = value.string();
    return text ? verticalPositionFromRawValue(*text) : std::nullopt;
}

}  // namespace

Text Text::fromJson(const JSON& json) {
    Text style;
    style.color = json["color"].string();

    const JSON opacity = json["opacity"];
    if (auto text = opacity.string())
        style.opacity = value_reading::wholeFloat(*text);
    else
        style.opacity = opacity.float_();

    if (style.color && style.color->find("rgba") != std::string::npos) style.rgbaColor = style.color;

    if (auto text = json["font-style"].string()) style.fontStyle = fontStyleFromRawValue(*text);
    if (auto text = json["font-weight"].string()) style.fontWeight = fontWeightFromRawValue(*text);

    if (auto text = json["font-size"].string())
        style.fontSize = value_reading::wholeInteger(*text);
    else
        style.fontSize = defaultFontSize;

    style.display = value_reading::textFlag(json["display"]);
    style.hposition = readHorizontal(json["hposition"]);
    style.vposition = readVertical(json["vposition"]);
    style.backgroundColor = json["background-color"].string();
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
    Icon icon;
    if (auto text = json["size"].string()) icon.size = value_reading::wholeDouble(*text);
    icon.display = value_reading::textFlag(json["display"]);
    icon.hposition = readHorizontal(json["hposition"]);
    icon.vposition = readVertical(json["vposition"]);
    return icon;
}

}  // namespace vistrel
