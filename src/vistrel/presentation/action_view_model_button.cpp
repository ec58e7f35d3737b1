// The button values of an action row: shape, height and background image.
#include <algorithm>
#include <cmath>

#include "vistrel/model/themes.hpp"
#include "vistrel/presentation/action_view_model.hpp"
#include "vistrel/presentation/display_limits.hpp"
#include "vistrel/presentation/style_lookup.hpp"

namespace vistrel {

namespace {

bool isUsableSide(std::optional<float> side) { return side && std::isfinite(*side) && *side > 0; }

}  // namespace

std::intptr_t ActionViewModel::buttonRadius() const {
    std::intptr_t radius = styleValue(buttonSection(), &Button::radius, VistrelActionTheme::buttonRadius);
    return std::clamp<std::intptr_t>(radius, 0, static_cast<std::intptr_t>(display_limits::maximumLength));
}

// A ratio is usable only when both of its sides are positive numbers and the quotient
// (worked out in single precision) neither overflows nor vanishes; anything else is no
// ratio, so the two getters below never disagree and nothing divides by zero.
std::optional<double> ActionViewModel::heightRatio() const {
    const Button* button = buttonSection();
    if (!button || !button->height) return std::nullopt;
    const Height& height = *button->height;
    if (!isUsableSide(height.ratioWidth) || !isUsableSide(height.ratioHeight)) return std::nullopt;
    float ratio = *height.ratioHeight / *height.ratioWidth;
    if (!std::isfinite(ratio) || ratio <= 0) return std::nullopt;
    return static_cast<double>(ratio);
}

bool ActionViewModel::buttonHasRatio() const { return heightRatio().has_value(); }

double ActionViewModel::buttonHeightMultiplier() const {
    const Button* button = buttonSection();
    if (!button || !button->height || !button->height->value) return 1.0;
    return static_cast<double>(*button->height->value);
}

double ActionViewModel::buttonHeightRatio() const { return heightRatio().value_or(1.0); }

bool ActionViewModel::buttonDisplay() const {
    return styleValue(buttonSection(), &Button::display, VistrelActionTheme::buttonDisplay);
}

std::string ActionViewModel::buttonBackgroundImage() const { return action_.backgroundImage.value_or(""); }

ImageSize ActionViewModel::buttonBackgroundImageSize() const {
    return styleValue(buttonSection(), &Button::imageSize, VistrelActionTheme::buttonBackgroundImageSize);
}

HorizontalPosition ActionViewModel::buttonBackgroundImagePosition() const {
    return styleValue(buttonSection(), &Button::imagePosition, VistrelActionTheme::buttonBackgroundImagePosition);
}

}  // namespace vistrel
