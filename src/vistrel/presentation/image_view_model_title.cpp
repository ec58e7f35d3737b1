// The title bar values of the image view model: the image's title style where it
// settles a value completely, the image theme elsewhere. Worked out on every read.
#include "vistrel/core/hex_color.hpp"
#include "vistrel/core/palette.hpp"
#include "vistrel/model/themes.hpp"
#include "vistrel/presentation/image_view_model.hpp"
#include "vistrel/presentation/style_color.hpp"
#include "vistrel/presentation/style_font.hpp"

namespace vistrel {

using platform::graphics::Color;

namespace {

const Button* titleButton(const Image& image) {
    return image.titleStyle && image.titleStyle->button ? &*image.titleStyle->button : nullptr;
}

const Text* titleText(const Image& image) {
    return image.titleStyle && image.titleStyle->text ? &*image.titleStyle->text : nullptr;
}

}  // namespace

bool ImageViewModel::buttonDisplay() const {
    const Button* button = titleButton(image_);
    return button && button->display ? *button->display : VistrelImageTheme::buttonDisplay;
}

Color ImageViewModel::buttonBackgroundColor() const {
    const Button* button = titleButton(image_);
    if (!button) return VistrelImageTheme::buttonBackgroundColor;
    return style_color::hexColorWithOpacity(button->backgroundColor, button->opacity)
        .value_or(VistrelImageTheme::buttonBackgroundColor);
}

Color ImageViewModel::textColor() const {
    const Text* text = titleText(image_);
    if (!text) return VistrelImageTheme::textColor;
    return style_color::hexColorWithOpacity(text->color, text->opacity).value_or(VistrelImageTheme::textColor);
}

std::optional<platform::graphics::Font> ImageViewModel::textFont() const {
    const Text* text = titleText(image_);
    std::string_view name = VistrelImageTheme::textFont;
    if (text && text->fontWeight && text->fontStyle)
        name = style_font::fontName<VistrelImageTheme>(*text->fontWeight, *text->fontStyle);
    return style_font::fontNamed(name, VistrelImageTheme::textSize, VistrelImageTheme::textSize);
}

Color ImageViewModel::imageTextColor() const {
    const Text* text = titleText(image_);
    return text && text->color ? hexColor(*text->color) : vistrelWhite();
}

}  // namespace vistrel
