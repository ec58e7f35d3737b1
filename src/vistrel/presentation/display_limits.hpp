#pragma once
// The bounds every length, font size and text shown on screen is kept within, whatever
// the answer says: a row or an icon is never negative, infinite or absurdly large, and a
// page never lays out more text than a reader could want from it.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>

namespace vistrel::display_limits {

// The largest row height, icon size or corner radius, in points.
inline constexpr double maximumLength = 10000.0;
// The largest font size, in points.
inline constexpr double maximumFontSize = 1000.0;

// The most of a text a page shows, in bytes and in lines: many printed pages (one holds a
// few thousand characters in some fifty lines), and little enough that laying it out,
// whatever it is made of, holds the main thread for a small part of a second.
inline constexpr std::size_t maximumTextBytes = 32 * 1024;
inline constexpr std::size_t maximumTextLines = 2000;
// What ends a text cut to those bounds, so that the reader sees that it goes on.
inline constexpr std::string_view textGoesOnMark = "\u2026";

// A length within 0...maximumLength; NaN gives 0, infinity the bound of its sign.
inline double clampLength(double length) {
    if (std::isnan(length)) return 0.0;
    return std::clamp(length, 0.0, maximumLength);
}

// The text within `maxBytes` bytes and `maxLines` lines: as it is when it fits, else its
// start up to the bounds, cut where a user-perceived character ends, and textGoesOnMark
// (so at most maxBytes + textGoesOnMark.size() bytes). Only the start is looked at.
std::string clampText(std::string_view text, std::size_t maxBytes, std::size_t maxLines);

// The text within maximumTextBytes and maximumTextLines, as above.
inline std::string clampText(std::string_view text) { return clampText(text, maximumTextBytes, maximumTextLines); }

}  // namespace vistrel::display_limits
