#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

#include "vistrel/core/hex_color.hpp"
#include "vistrel/core/string_extras.hpp"

using platform::graphics::Color;
using namespace vistrel;

namespace {

// Exact comparison: channels are n / 255 with no rounding of their own.
Color channels(int r, int g, int b, int a = 255) { return {r / 255.0, g / 255.0, b / 255.0, a / 255.0}; }

void expectExactly(const Color& actual, const Color& expected, const std::string& text) {
    EXPECT_EQ(std::tuple(actual.r, actual.g, actual.b, actual.a), std::tuple(expected.r, expected.g, expected.b, expected.a))
        << text;
}

}  // namespace

TEST(HexColorTest, TextsGiveTheirColours) {
    const std::vector<std::pair<std::string, Color>> cases = {
        {"#FF0000", channels(255, 0, 0)}, {"  #FF0000  ", channels(255, 0, 0)},
        {"\"(#ff8800)\"", channels(255, 0x88, 0)}, {"#F00", channels(255, 0, 0)},
        {"80FF0000", channels(255, 0, 0, 128)},
        {"#12345G", channels(0x01, 0x23, 0x45)},       // digits before the G, six-character layout
        {"\xE2\x80\x9C#2F6FEB\xE2\x80\x9D", channels(0x2F, 0x6F, 0xEB)},  // curly quotes are trimmed
        {"", Color::clear()}, {"#FFFF", Color::clear()}, {"#FFFFFFF", Color::clear()},
        {"#\xC3\xA9\xC3\xA9\xC3\xA9", channels(0, 0, 0)},  // three letters, none a digit
    };
    for (const auto& [text, expected] : cases) expectExactly(hexColor(text), expected, text);
}

TEST(HexColorTest, HexStringWritesRgbInUpperCase) {
    const std::vector<std::pair<Color, std::string>> cases = {
        {Color::rgba(1, 0.5, 0), "#FF8000"},  // 127.5 rounds away from zero
        {Color::white(0.5), "#808080"},       // grey only
        // Outside 0...1, infinite or not a number: still six digits.
        {Color::rgba(1e300, -1e300, 0.5), "#FF0080"},
        {Color::rgba(std::numeric_limits<double>::infinity(), std::nan(""), -std::numeric_limits<double>::infinity()),
         "#FF0000"},
    };
    for (const auto& [color, text] : cases) EXPECT_EQ(hexString(color), text);
}

TEST(StringExtrasTest, RandomHasTheLengthAndAlphabet) {
    const std::string alphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    EXPECT_EQ(vistrel::random().size(), 20u);
    for (int length : {0, -5, std::numeric_limits<int>::min()}) EXPECT_EQ(vistrel::random(length), "") << length;
    EXPECT_EQ(vistrel::random(1000).find_first_not_of(alphabet), std::string::npos);
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) seen.insert(vistrel::random());
    EXPECT_EQ(seen.size(), 1000u);
}
