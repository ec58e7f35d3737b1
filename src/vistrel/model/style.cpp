#include "vistrel/model/style.hpp"

#include "vistrel/model/members.hpp"
#include "vistrel/model/style_reading.hpp"

namespace vistrel {

template <typename Members>
Style readStyle(const Members& members) {
    Style style;
    style.model = members.string("model");
    if (auto button = members.dictionary("button")) style.button = readButton(*button);
    if (auto text = members.dictionary("text")) style.text = readText(*text);
    if (auto icon = members.dictionary("icon")) style.icon = readIcon(*icon);
    return style;
}

template Style readStyle(const Members&);
template Style readStyle(const ViewMembers&);

Style Style::fromJson(const JSON& json) { return readStyle(Members(json)); }

Style Style::fromQrCodeType(QrCodeType type) {
    Style style;
    style.button = Button::fromQrCodeType(type);
    style.text = Text::fromQrCodeType(type);
    style.qrCodeType = type;
    return style;
}

}  // namespace vistrel
