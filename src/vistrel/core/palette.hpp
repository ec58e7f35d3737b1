#pragma once
// The kit's seven brand colours, read from its configuration (hexadecimal texts) on
// every call; a missing or unusable setting gives the clear colour.
#include "vistrel/platform/graphics/color.hpp"

namespace vistrel {

platform::graphics::Color vistrelRed();               // "RED_COLOR"
platform::graphics::Color vistrelWhite();             // "WHITE_COLOR"
platform::graphics::Color vistrelBlack();             // "BLACK_COLOR"
platform::graphics::Color vistrelYellow();            // "YELLOW_COLOR"
platform::graphics::Color vistrelPrimary();           // "PRIMARY_COLOR"
platform::graphics::Color vistrelBackgroundTop();     // "BACKGROUND_TOP_COLOR"
platform::graphics::Color vistrelBackgroundBottom();  // "BACKGROUND_BOTTOM_COLOR"

}  // namespace vistrel
