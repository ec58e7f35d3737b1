#pragma once
// Colours written as hexadecimal texts ("#RGB", "#RRGGBB", "#AARRGGBB") and back.
#include <cstdint>
#include <string>
#include <string_view>

#include "vistrel/platform/graphics/color.hpp"

namespace vistrel {

// The colour a hexadecimal colour text describes. Characters that are not letters,
// marks or digits are dropped from both ends; the number of characters left (3, 6 or
// 8) picks the layout, and the hexadecimal digits read from the start (after an
// optional 0x) give the channels. Any other length gives the clear colour.
platform::graphics::Color hexColor(std::string_view text);

// "#RRGGBB" in upper-case digits; alpha is not written. Each component is brought into
// 0...1 first, so any colour gives a well-formed text.
std::string hexString(const platform::graphics::Color& color);

// The opaque colour of 0xRRGGBB; the top byte is ignored.
platform::graphics::Color colorFromHex(std::uint32_t rgbValue);

}  // namespace vistrel
