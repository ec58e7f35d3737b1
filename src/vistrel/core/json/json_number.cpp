#include "vistrel/core/json/json_number.hpp"

#include <cstdint>

#include "vistrel/platform/foundation/numbers.hpp"

namespace vistrel::json_number {

namespace {

// Compares a double with an integer exactly (no rounding of the integer).
template <typename Integer>
std::partial_ordering compareWithInteger(double d, Integer i) {
    if (std::isnan(d)) return std::partial_ordering::unordered;
    const double limit = std::ldexp(1.0, std::numeric_limits<Integer>::digits);
    if (d >= limit) return std::partial_ordering::greater;
    if constexpr (std::signed_integral<Integer>) {
        if (d < -limit) return std::partial_ordering::less;
    } else {
        if (d < 0) return std::partial_ordering::less;
    }
    double whole = std::trunc(d);
    auto w = static_cast<Integer>(whole);
    if (w != i) return w < i ? std::partial_ordering::less : std::partial_ordering::greater;
    if (d == whole) return std::partial_ordering::equivalent;
    return d < whole ? std::partial_ordering::less : std::partial_ordering::greater;
}

std::partial_ordering flip(std::partial_ordering o) {
    if (o == std::partial_ordering::less) return std::partial_ordering::greater;
    if (o == std::partial_ordering::greater) return std::partial_ordering::less;
    return o;
}

}  // namespace

platform::Number decimalNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                               text[i] == '\r'))
        ++i;
    text.remove_prefix(i);
    auto span = platform::numbers::scanDecimal(text);
    if (span.length == 0) return platform::Number::fromInt(0);
    std::string_view number = text.substr(0, span.length);
    if (span.integer) {
        if (auto v = platform::numbers::parseInt64(number)) return platform::Number::fromInt(*v);
        if (auto v = platform::numbers::parseUInt64(number)) return platform::Number::fromUInt(*v);
    }
    return platform::Number::fromDouble(platform::numbers::leadingDouble(number));
}

std::partial_ordering compare(const platform::Number& a, const platform::Number& b) {
    using Kind = platform::Number::Kind;
    if (a.isBool() != b.isBool()) return std::partial_ordering::unordered;
    if (a.kind() == Kind::Double && b.kind() == Kind::Double)
        return a.doubleValue() <=> b.doubleValue();
    if (a.kind() == Kind::Double) {
        return b.kind() == Kind::Int ? compareWithInteger(a.doubleValue(), b.intValue())
                                     : compareWithInteger(a.doubleValue(), b.uintValue());
    }
    if (b.kind() == Kind::Double) return flip(compare(b, a));
    if (a.kind() == Kind::Int && b.kind() == Kind::Int) return a.intValue() <=> b.intValue();
    if (a.kind() == Kind::UInt && b.kind() == Kind::UInt) return a.uintValue() <=> b.uintValue();
    if (a.kind() == Kind::Int) {
        if (a.intValue() < 0) return std::partial_ordering::less;
        return static_cast<std::uint64_t>(a.intValue()) <=> b.uintValue();
    }
    return flip(compare(b, a));
}

}  // namespace vistrel::json_number
