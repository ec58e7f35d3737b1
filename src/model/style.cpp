#include "model/style.hpp"

namespace vistrel {

Style Style::fromJson(const JSON& json) {
    Style style;
    style.model = json["model"].string();
    if (const JSON button = json["button"]; button.type() == Type::dictionary)
        style.button = Button::fromJson(button);
    if (const JSON text = json["text"]; text.type() == Type::dictionary)
        style.text = Text::fromJson(text);
    if (const JSON icon = json["icon"]; icon.type() == Type::dictionary)
        style.icon = Icon::fromJson(icon);
    return style;
}

Style Style::fromQrCodeType(QrCodeType type) {
    Style style;
    style.button = Button::fromQrCodeType(type);
    style.text = Text::fromQrCodeType(type);
    style.qrCodeType = type;
    return style;
}

}  // namespace vistrel
