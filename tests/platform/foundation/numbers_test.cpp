#include <clocale>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "vistrel/platform/foundation/numbers.hpp"

namespace n = platform::numbers;

namespace {

// Runs the checks once in the C locale and once in a locale whose decimal mark is a
// comma, when the machine has one: the readings must not change.
template <typename F>
void inEachLocale(F check) {
    check();
    const char* previous = std::setlocale(LC_ALL, nullptr);
    std::string saved = previous ? previous : "C";
    for (const char* name : {"fr_FR.UTF-8", "fr_FR.utf8", "de_DE.UTF-8"}) {
        if (std::setlocale(LC_ALL, name)) {
            check();
            break;
        }
    }
    std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace

TEST(NumbersTest, WholeIntegers) {
    inEachLocale([] {
        struct Case { const char* text; std::optional<std::int64_t> value; };
        for (const Case& c : {Case{"12", 12}, Case{"+7", 7}, Case{"-3", -3}, Case{"0", 0},
                              Case{"12.5", std::nullopt}, Case{" 12", std::nullopt},
                              Case{"12 ", std::nullopt}, Case{"12abc", std::nullopt},
                              Case{"", std::nullopt}, Case{"+", std::nullopt},
                              Case{"+-1", std::nullopt}, Case{"9223372036854775807", INT64_MAX},
                              Case{"9223372036854775808", std::nullopt}}) {
            EXPECT_EQ(n::parseInt64(c.text), c.value) << c.text;
        }
        EXPECT_EQ(n::parseUInt64("18446744073709551615"), UINT64_MAX);
        EXPECT_EQ(n::parseUInt64("-1"), std::nullopt);
    });
}

TEST(NumbersTest, WholeDecimalsAreFiniteOrAbsent) {
    inEachLocale([] {
        for (auto [text, value] : {std::pair{"0.8", 0.8}, {"+8", 8.0}, {"-2.5e2", -250.0}, {".5", 0.5}, {"5.", 5.0}})
            EXPECT_EQ(n::parseDouble(text), value) << text;
        for (const char* bad : {"inf", "nan", "-inf", "infinity", "NaN", "1e999", "0x10", "1,5",
                                "12abc", "", ".", "e5", "1e"}) {
            EXPECT_EQ(n::parseDouble(bad), std::nullopt) << bad;
        }
        EXPECT_EQ(n::parseFloat("1e39"), std::nullopt);
        EXPECT_EQ(n::parseFloat("0.8"), 0.8f);
    });
}

// The longest number at the start, whatever follows; out of range gives the largest
// finite value, never infinity.
TEST(NumbersTest, LeadingNumberLikeTheFloatValueReading) {
    inEachLocale([] {
        for (auto [text, value] : {std::pair{"0.8", 0.800000011920929}, {"  12abc", 12.0}, {"abc", 0.0},
                                   {"", 0.0}, {"1,5", 1.0}, {"inf", 0.0}, {"nan", 0.0},
                                   {"1e99", double(std::numeric_limits<float>::max())}})
            EXPECT_EQ(static_cast<double>(n::leadingFloat(text)), value) << text;
        EXPECT_EQ(n::leadingDouble("-4.25e1x"), -42.5);
        EXPECT_EQ(n::leadingDouble("3e"), 3.0);
        EXPECT_EQ(n::leadingDouble("1e-999"), 0.0);
    });
}
