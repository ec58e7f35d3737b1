#include "model/style.hpp"

#include "model/members.hpp"

namespace vistrel {

Style Style::fromJson(const JSON& json) {
    const Members members(json);
    Style style;
    style.model = members.string("model");
    if (auto button = members.dictionary("button")) style.button = Button::fromJson(*button);
    if (auto text = members.dictionary("text")) style.text = Text::fromJson(*text);
    if (auto icon = members.dictionary("icon")) style.icon = Icon::fromJson(*icon);
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
