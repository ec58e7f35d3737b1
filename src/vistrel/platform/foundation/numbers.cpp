#include "vistrel/platform/foundation/numbers.hpp"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace platform::numbers {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

// Only digits, one point and an exponent with digits count: never "inf", "nan" or hex.
DecimalSpan scanDecimal(std::string_view t) {
    DecimalSpan span;
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < t.size() && isDigit(t[i])) ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        std::size_t j = i + 1;
        std::size_t fraction = 0;
        while (j < t.size() && isDigit(t[j])) ++j, ++fraction;
        if (digits + fraction > 0) {
            i = j;
            digits += fraction;
            span.integer = false;
        }
    }
    if (digits == 0) return {0, false};
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
        std::size_t expDigits = 0;
        while (j < t.size() && isDigit(t[j])) ++j, ++expDigits;
        if (expDigits > 0) {
            i = j;
            span.integer = false;
        }
    }
    span.length = i;
    return span;
}

namespace {

template <typename T>
std::optional<T> parseInteger(std::string_view text) {
    if (text.empty()) return std::nullopt;
    std::size_t start = text[0] == '+' ? 1 : 0;
    if (start == 1 && text.size() > 1 && text[1] == '-') return std::nullopt;
    std::string_view digits = text.substr(start);
    if (digits.empty()) return std::nullopt;
    T value{};
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

// Reads a number whose syntax scanDecimal has accepted. Out of range gives the
// largest finite value of its sign, or zero for underflow.
template <typename T>
T readChecked(std::string_view number, bool* overflow) {
    if (!number.empty() && number[0] == '+') number.remove_prefix(1);
    T value{};
    auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value,
                                     std::chars_format::general);
    *overflow = false;
    if (ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone: decide by the exponent's direction.
        bool negative = !number.empty() && number[0] == '-';
        auto e = number.find_first_of("eE");
        bool tiny = e != std::string_view::npos && e + 1 < number.size() && number[e + 1] == '-';
        if (tiny) return negative ? -T(0) : T(0);
        *overflow = true;
        return negative ? std::numeric_limits<T>::lowest() : std::numeric_limits<T>::max();
    }
    (void)end;
    return value;
}

template <typename T>
std::optional<T> parseWhole(std::string_view text) {
    std::size_t n = scanDecimal(text).length;
    if (n == 0 || n != text.size()) return std::nullopt;
    bool overflow = false;
    T v = readChecked<T>(text, &overflow);
    if (overflow || !std::isfinite(v)) return std::nullopt;
    return v;
}

template <typename T>
T leading(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                               text[i] == '\r' || text[i] == '\f' || text[i] == '\v'))
        ++i;
    text.remove_prefix(i);
    std::size_t n = scanDecimal(text).length;
    if (n == 0) return T(0);
    bool overflow = false;
    return readChecked<T>(text.substr(0, n), &overflow);
}

}  // namespace

std::optional<std::int64_t> parseInt64(std::string_view text) {
    return parseInteger<std::int64_t>(text);
}
std::optional<std::uint64_t> parseUInt64(std::string_view text) {
    if (!text.empty() && text[0] == '-') return std::nullopt;
    return parseInteger<std::uint64_t>(text);
}
std::optional<double> parseDouble(std::string_view text) { return parseWhole<double>(text); }
std::optional<float> parseFloat(std::string_view text) { return parseWhole<float>(text); }
double leadingDouble(std::string_view text) { return leading<double>(text); }
float leadingFloat(std::string_view text) { return leading<float>(text); }

}  // namespace platform::numbers
