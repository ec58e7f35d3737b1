#pragma once
// The fixed defaults that apply wherever a style gives no value, and the camera
// screen's icon sizes. Every member is a constant initialised at compile time: one
// object per process, the same on every access, safe to read from any thread.
#include <cstdint>
#include <string_view>

#include "vistrel/model/style_enums.hpp"
#include "vistrel/platform/graphics/color.hpp"

namespace vistrel {

struct VistrelConstants {
    // The camera screen's buttons (lengths in points).
    struct CameraViewController {
        static constexpr double leftMenuIconSize = 45.0;
        static constexpr double rightMenuIconSize = 45.0;
        static constexpr double flashIconSize = 30.0;
        static constexpr double developerIconSize = 30.0;
        static constexpr double informationsIconSize = 30.0;
    };
};

// The title bar of a recognised image.
struct VistrelImageTheme {
    static constexpr double textSize = 16.0;
    static constexpr std::string_view textFont = "SFProText-Regular";
    static constexpr std::string_view textFontNormalWeightNormalStyle = "SFProText-Regular";
    static constexpr std::string_view textFontNormalWeightItalicStyle = "SFProText-Italic";
    static constexpr std::string_view textFontBoldWeightNormalStyle = "SFProText-Heavy";
    static constexpr std::string_view textFontBoldWeightItalicStyle = "SFProText-HeavyItalic";
    static constexpr platform::graphics::Color textColor{1, 1, 1, 1};  // white
    static constexpr double buttonHeight = 50.0;
    static constexpr bool buttonDisplay = true;
    static constexpr platform::graphics::Color buttonBackgroundColor{0, 0, 0, 0.6};  // black at 0.6
};

// One action row.
struct VistrelActionTheme {
    static constexpr double iconLeadingSpace = 8.0;
    static constexpr double iconTrailingSpace = 8.0;
    static constexpr double iconTopSpace = 4.0;
    static constexpr double iconBottomSpace = 4.0;
    static constexpr bool iconDisplay = true;
    static constexpr double iconSize = 30.0;
    static constexpr VerticalPosition iconVerticalPosition = VerticalPosition::center;
    static constexpr HorizontalPosition iconHorizontalPosition = HorizontalPosition::left;
    static constexpr bool textDisplay = true;
    static constexpr platform::graphics::Color textColor{1, 1, 1, 1};  // white
    static constexpr std::intptr_t textFontSize = 16;
    static constexpr platform::graphics::Color textBackgroundColor{0, 0, 0, 0};  // clear
    static constexpr VerticalPosition textVerticalPosition = VerticalPosition::center;
    static constexpr HorizontalPosition textHorizontalPosition = HorizontalPosition::center;
    static constexpr std::string_view textFont = "SFProText-Regular";
    static constexpr std::string_view textFontNormalWeightNormalStyle = "SFProText-Regular";
    static constexpr std::string_view textFontNormalWeightItalicStyle = "SFProText-Italic";
    static constexpr std::string_view textFontBoldWeightNormalStyle = "SFProText-Heavy";
    static constexpr std::string_view textFontBoldWeightItalicStyle = "SFProText-HeavyItalic";
    static constexpr std::intptr_t buttonRadius = 0;
    static constexpr double buttonHeight = 50.0;
    static constexpr bool buttonDisplay = true;
    static constexpr double buttonBottomSpace = 8.0;
    static constexpr platform::graphics::Color buttonBackgroundColor{0, 0, 0, 0.6};  // black at 0.6
    static constexpr ImageSize buttonBackgroundImageSize = ImageSize::cover;
    static constexpr HorizontalPosition buttonBackgroundImagePosition = HorizontalPosition::center;
};

}  // namespace vistrel
