#pragma once
// Locale-free number reading. Nothing here looks at the process locale, throws, or
// accepts "inf" and "nan" as numbers.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace platform::numbers {

// The decimal number at the very start of the text: an optional sign, digits with at
// most one point, then an optional exponent with digits. Its length (0 when the text
// does not start with one), and whether it is an integer (neither point nor exponent).
struct DecimalSpan {
    std::size_t length = 0;
    bool integer = true;
};
DecimalSpan scanDecimal(std::string_view text);

// The whole text as a decimal integer: an optional sign, then digits only, in range.
std::optional<std::int64_t> parseInt64(std::string_view text);
std::optional<std::uint64_t> parseUInt64(std::string_view text);

// The whole text as a finite decimal number: optional sign, digits with an optional
// fraction and exponent. Overflow gives no value.
std::optional<double> parseDouble(std::string_view text);
std::optional<float> parseFloat(std::string_view text);

// The longest decimal number at the start of the text after leading white space,
// whatever follows; 0 when there is none. Out of range gives the largest finite value
// of the sign (never infinity).
double leadingDouble(std::string_view text);
float leadingFloat(std::string_view text);

}  // namespace platform::numbers
