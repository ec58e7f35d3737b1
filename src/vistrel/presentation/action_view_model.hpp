#pragma once
// The display values of one action row: its title and icon, its label's placement,
// font and colours, and the button's shape, height and background image. Each value
// comes from the action's style where the style holds it, else from the action theme;
// nothing is cached, and the held copy of the action never changes.
#include <cstdint>
#include <optional>
#include <string>

#include "vistrel/model/action.hpp"
#include "vistrel/model/style_enums.hpp"
#include "vistrel/platform/graphics/color.hpp"
#include "vistrel/platform/graphics/font.hpp"

namespace vistrel {

class ActionViewModel {
public:
    explicit ActionViewModel(Action action) : action_(std::move(action)) {}

    // --- Title and icon ----------------------------------------------------------------
    std::string name() const;     // the action's name, "" without one
    std::string iconUrl() const;  // the address of the icon image, "" without one
    bool iconDisplay() const;
    // The icon's side in points, within 0...display_limits::maximumLength.
    double iconSize() const;
    VerticalPosition iconVerticalPosition() const;
    HorizontalPosition iconHorizontalPosition() const;
    // Whether the style has an icon section at all.
    bool iconStyleAvailable() const;

    // --- Label -------------------------------------------------------------------------
    // An rgba colour text, else a colour text at its opacity, else white.
    platform::graphics::Color textColor() const;
    bool textDisplay() const;
    // The text background read as rgba, else clear.
    platform::graphics::Color textBackgroundColor() const;
    VerticalPosition textVerticalPosition() const;
    HorizontalPosition textHorizontalPosition() const;
    // The point size of the label: the style's, else the theme's; a size <= 0 gives the
    // theme's, one above display_limits::maximumFontSize that bound.
    std::intptr_t textFontSize() const;
    // The theme's face for the style's weight and style (when the section names a size,
    // a weight and a style; else the regular face) at textFontSize(). A face that is
    // not registered gives the default face at that size.
    std::optional<platform::graphics::Font> textFont() const;

    // --- Button ------------------------------------------------------------------------
    // The corner radius in points, within 0...display_limits::maximumLength.
    std::intptr_t buttonRadius() const;
    // Whether the height is a usable width-to-height ratio: both members present,
    // finite and above 0, and their quotient finite and above 0.
    bool buttonHasRatio() const;
    // The style's whole-number height, else 1.
    double buttonHeightMultiplier() const;
    // The ratio's height divided by its width when buttonHasRatio(), else 1.
    double buttonHeightRatio() const;
    bool buttonDisplay() const;
    // An rgba colour text, else a colour text at its opacity, else black at 0.6.
    platform::graphics::Color buttonBackgroundColor() const;
    std::string buttonBackgroundImage() const;  // the action's background image address, "" without one
    ImageSize buttonBackgroundImageSize() const;
    HorizontalPosition buttonBackgroundImagePosition() const;

private:
    const Icon* iconSection() const;
    const Text* textSection() const;
    const Button* buttonSection() const;
    std::optional<double> heightRatio() const;

    Action action_;
};

}  // namespace vistrel
