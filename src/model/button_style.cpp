#include "model/button_style.hpp"

#include "model/value_reading.hpp"

namespace vistrel {

namespace {

std::optional<Height> readHeight(const std::string& text) {
    if (auto whole = value_reading::wholeInteger(text)) return Height{whole, std::nullopt, std::nullopt};
    auto x = text.find('x');
    if (x == std::string::npos) return std::nullopt;
    // Split at every "x"; only the first two pieces count, and the second ends at the
    // next "x" or at the end.
    std::string_view rest = std::string_view(text).substr(x + 1);
    std::string_view second = rest.substr(0, rest.find('x'));
    return Height{std::nullopt, value_reading::wholeFloat(std::string_view(text).substr(0, x)),
                  value_reading::wholeFloat(second)};
}

}  // namespace

Button Button::fromJson(const JSON& json) {
    Button button;
    const JSON backgroundColor = json["background-color"];
    button.backgroundColor = backgroundColor.string();

    const JSON opacity = json["opacity"];
    if (auto text = opacity.string())
        button.opacity = value_reading::wholeFloat(*text);
    else
        button.opacity = opacity.float_();

    if (button.backgroundColor && button.backgroundColor->find("rgba") != std::string::npos)
        button.rgbaColor = button.backgroundColor;

    button.display = value_reading::textFlag(json["display"]);

    if (auto text = json["height"].string()) button.height = readHeight(*text);
    if (auto text = json["radius"].string()) button.radius = value_reading::wholeInteger(*text);
    if (auto text = json["image-size"].string()) button.imageSize = imageSizeFromRawValue(*text);
    if (auto text = json["image-position"].string())
        button.imagePosition = horizontalPositionFromRawValue(*text);
    return button;
}

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
