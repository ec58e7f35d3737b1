#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <limits>
#include <map>
#include <set>

#include "core/hex_color.hpp"
#include "core/string_extras.hpp"

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
        {"GGGGGG", channels(0, 0, 0)},                 // six characters, no digit: black
        {"#12345G", channels(0x01, 0x23, 0x45)},       // digits before the G, six-character layout
        {"0x1234", channels(0, 0x12, 0x34)},           // the prefix counts as characters
        {"\xE2\x80\x9C#2F6FEB\xE2\x80\x9D", channels(0x2F, 0x6F, 0xEB)},  // curly quotes are trimmed
        {"", Color::clear()}, {"#", Color::clear()}, {"#FFFF", Color::clear()}, {"#FFFFFFF", Color::clear()},
        {"#\xC3\xA9\xC3\xA9\xC3\xA9", channels(0, 0, 0)},  // three letters, none a digit
    };
    for (const auto& [text, expected] : cases) expectExactly(hexColor(text), expected, text);
    EXPECT_EQ(hexColor("#FFFFFF").r, 1.0) << "255 gives exactly 1";
}

TEST(HexColorTest, HexStringWritesRgbInUpperCase) {
    const std::vector<std::pair<Color, std::string>> cases = {
        {Color::rgba(1, 0.5, 0), "#FF8000"},  // 127.5 rounds away from zero
        {channels(0x2F, 0x6F, 0xEB, 0), "#2F6FEB"},
        {Color::white(0.5), "#808080"},       // grey only
        // Outside 0...1, infinite or not a number: still six digits.
        {Color::rgba(2, -1, 0.5), "#FF0080"}, {Color::rgba(1e300, -1e300, 300), "#FF00FF"},
        {Color::rgba(std::numeric_limits<double>::infinity(), std::nan(""), -std::numeric_limits<double>::infinity()),
         "#FF0000"},
    };
    for (const auto& [color, text] : cases) EXPECT_EQ(hexString(color), text);
}

TEST(HexColorTest, ColorFromHexIgnoresTheTopByte) {
    expectExactly(colorFromHex(0x2F6FEB), channels(0x2F, 0x6F, 0xEB), "blue");
    expectExactly(colorFromHex(0xAB2F6FEB), colorFromHex(0x2F6FEB), "top byte");
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

TEST(StringExtrasTest, RandomCharactersAreEquallyLikely) {
    // 620000 draws, 10000 expected per character. A draw reduced modulo 62 from a byte
    // would give the first eight characters a quarter more than the rest.
    std::map<char, int> counts;
    for (int i = 0; i < 31000; ++i)
        for (char c : vistrel::random()) ++counts[c];
    ASSERT_EQ(counts.size(), 62u);
    int least = 1 << 30, most = 0;
    for (const auto& [c, n] : counts) {
        least = std::min(least, n);
        most = std::max(most, n);
    }
    EXPECT_LT(double(most) / least, 1.1) << "least " << least << ", most " << most;
}

TEST(StringExtrasTest, RandomDoesNotRepeatAcrossProcesses) {
    // A child starts from a copy of this process's memory: a generator seeded or kept in
    // memory would give it the very sequence the parent draws next.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string drawn = vistrel::random(40);
        ssize_t written = write(fds[1], drawn.data(), drawn.size());
        _exit(written == 40 ? 0 : 1);
    }
    close(fds[1]);
    std::string parent = vistrel::random(40);
    char buffer[40];
    ssize_t got = read(fds[0], buffer, sizeof buffer);
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_EQ(got, 40);
    EXPECT_NE(std::string(buffer, 40), parent);
}
