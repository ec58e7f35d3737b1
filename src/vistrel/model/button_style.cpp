#include "vistrel/model/button_style.hpp"

#include "vistrel/model/members.hpp"
#include "vistrel/model/style_reading.hpp"
#include "vistrel/model/value_reading.hpp"

namespace vistrel {

namespace {

std::optional<Height> readHeight(std::string_view text) {
    if (auto whole = value_reading::wholeInteger(text)) return Height{whole, std::nullopt, std::nullopt};
    auto x = text.find('x');
    if (x == std::string_view::npos) return std::nullopt;
    // Split at every "x"; only the first two pieces count, and the second ends at the
    // next "x" or at the end.
    std::string_view rest = text.substr(x + 1);
    std::string_view second = rest.substr(0, rest.find('x'));
    return Height{std::nullopt, value_reading::wholeFloat(text.substr(0, x)), value_reading::wholeFloat(second)};
}

}  // namespace

template <typename Members>
Button readButton(const Members& members) {
    Button button;
    button.backgroundColor = members.string("background-color");
    button.opacity = members.floatFromTextOrNumber("opacity");
    if (button.backgroundColor && button.backgroundColor->find("rgba") != std::string::npos)
        button.rgbaColor = button.backgroundColor;
    button.display = members.textFlag("display");
    if (auto text = members.text("height")) button.height = readHeight(*text);
    if (auto text = members.text("radius")) button.radius = value_reading::wholeInteger(*text);
    if (auto text = members.text("image-size")) button.imageSize = imageSizeFromRawValue(*text);
    if (auto text = members.text("image-position")) button.imagePosition = horizontalPositionFromRawValue(*text);
    return button;
}

template Button readButton(const Members&);
template Button readButton(const ViewMembers&);

Button Button::fromJson(const JSON& json) { return readButton(Members(json)); }

Button Button::fromQrCodeType(QrCodeType type) {
    Button button;
    switch (type) {
    case QrCodeType::url:
        button.backgroundColor = "#000000";
        button.opacity = 0.6f;
        break;
    }
    return button;
}

}  // namespace vistrel
