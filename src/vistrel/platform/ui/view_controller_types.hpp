#pragma once
// Small values a view controller answers with or is configured by.

namespace platform::ui {

// Dark content (the default) or light content, for dark backgrounds.
enum class StatusBarStyle { defaultStyle = 0, lightContent = 1 };

// Orientations a screen allows, as a bit mask with the phone's values.
enum class InterfaceOrientationMask : unsigned {
    portrait = 1u << 1,
    portraitUpsideDown = 1u << 2,
    landscapeRight = 1u << 3,
    landscapeLeft = 1u << 4,
    landscape = (1u << 3) | (1u << 4),
    all = (1u << 1) | (1u << 2) | (1u << 3) | (1u << 4),
    allButUpsideDown = (1u << 1) | (1u << 3) | (1u << 4),
};
constexpr InterfaceOrientationMask operator|(InterfaceOrientationMask a, InterfaceOrientationMask b) {
    return static_cast<InterfaceOrientationMask>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr unsigned bits(InterfaceOrientationMask mask) { return static_cast<unsigned>(mask); }

// How a presented controller covers its presenter: full screen takes the presenter's
// screen away (it disappears and its view leaves the window until the dismissal); over
// full screen leaves it in place beneath (alerts are shown that way).
enum class ModalPresentationStyle { fullScreen, overFullScreen };

// Where a controller stands in its appearance.
enum class AppearanceState { disappeared, appearing, appeared, disappearing };

}  // namespace platform::ui
