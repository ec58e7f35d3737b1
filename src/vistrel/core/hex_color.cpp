#include "vistrel/core/hex_color.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "vistrel/platform/graphics/unicode_text.hpp"

namespace vistrel {

using platform::graphics::Color;

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Leading white space, an optional 0x or 0X, then hexadecimal digits up to the first
// other character; 0 when there are none, the largest value when they overflow.
std::uint32_t scanHex(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r')) ++i;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) i += 2;
    std::uint64_t value = 0;
    for (; i < text.size() && hexDigit(text[i]) >= 0; ++i) {
        value = value * 16 + static_cast<std::uint64_t>(hexDigit(text[i]));
        if (value > UINT32_MAX) return UINT32_MAX;
    }
    return static_cast<std::uint32_t>(value);
}

Color fromChannels(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return Color::rgba(r / 255.0, g / 255.0, b / 255.0, a / 255.0);
}

long channelByte(double component) {
    // NaN reads as 0; everything else is clamped before the float arithmetic.
    double clamped = std::isnan(component) ? 0.0 : std::clamp(component, 0.0, 1.0);
    return std::lround(static_cast<float>(clamped) * 255.0f);
}

}  // namespace

Color hexColor(std::string_view text) {
    std::string_view trimmed = platform::graphics::trimmingNonAlphanumerics(text);
    std::uint32_t v = scanHex(trimmed);
    switch (platform::graphics::characterCount(trimmed)) {
        case 3: return fromChannels(255, ((v >> 8) & 0xF) * 17, ((v >> 4) & 0xF) * 17, (v & 0xF) * 17);
        case 6: return fromChannels(255, (v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
        case 8: return fromChannels(v >> 24, (v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
        default: return Color::clear();
    }
}

std::string hexString(const Color& color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02lX%02lX%02lX", channelByte(color.r), channelByte(color.g),
                  channelByte(color.b));
    return text;
}

Color colorFromHex(std::uint32_t rgbValue) {
    return fromChannels(255, (rgbValue & 0xFF0000) >> 16, (rgbValue & 0xFF00) >> 8, rgbValue & 0xFF);
}

}  // namespace vistrel
