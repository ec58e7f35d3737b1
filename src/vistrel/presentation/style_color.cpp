#include "vistrel/presentation/style_color.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "vistrel/core/hex_color.hpp"
#include "vistrel/platform/foundation/numbers.hpp"

namespace vistrel::style_color {

using platform::graphics::Color;

namespace {

double unitInterval(double value) { return std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0); }

}  // namespace

std::optional<double> alphaFromOpacity(std::optional<float> opacity) {
    if (!opacity || std::isnan(*opacity)) return std::nullopt;
    return unitInterval(*opacity);
}

std::optional<Color> hexColorWithOpacity(const std::optional<std::string>& text, std::optional<float> opacity) {
    auto alpha = alphaFromOpacity(opacity);
    if (!text || !alpha) return std::nullopt;
    return hexColor(*text).withAlpha(*alpha);
}

std::optional<Color> rgbaColor(std::string_view text) {
    // Pieces 1 to 4; piece 0 (the word before the bracket) and pieces after 4 are not read.
    std::array<double, 4> values{};
    std::size_t piece = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size() && piece <= 4; ++i) {
        bool separator = i < text.size() && (text[i] == '(' || text[i] == ',' || text[i] == ')');
        if (i < text.size() && !separator) continue;
        if (piece >= 1) values[piece - 1] = platform::numbers::leadingFloat(text.substr(start, i - start));
        ++piece;
        start = i + 1;
    }
    if (piece < 5) return std::nullopt;
    return Color::rgba(unitInterval(values[0] / 255.0), unitInterval(values[1] / 255.0),
                       unitInterval(values[2] / 255.0), unitInterval(values[3]));
}

}  // namespace vistrel::style_color
