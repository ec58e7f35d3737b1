#pragma once
// Number conversions of the JSON value: to every width, from text, and comparison.
#include <cmath>
#include <compare>
#include <concepts>
#include <limits>
#include <string_view>

#include "vistrel/platform/foundation/value.hpp"

namespace vistrel::json_number {

// A double toward zero into an integer type: NaN gives 0, values beyond the type
// saturate at its limits.
template <std::integral T>
T saturate(double d) {
    if (std::isnan(d)) return 0;
    double t = std::trunc(d);
    // 2^digits is the first value past the type's maximum, exactly representable.
    const double limit = std::ldexp(1.0, std::numeric_limits<T>::digits);
    if (t >= limit) return std::numeric_limits<T>::max();
    if constexpr (std::signed_integral<T>) {
        if (t < -limit) return std::numeric_limits<T>::min();
    } else {
        if (t < 0) return 0;
    }
    return static_cast<T>(t);
}

// The number in the type: integers narrow by wrapping (two's complement), floating
// values go through saturate, booleans are 1 or 0.
template <typename T>
T convert(const platform::Number& n) {
    using Kind = platform::Number::Kind;
    if constexpr (std::floating_point<T>) {
        double d = n.asDouble();
        if constexpr (std::same_as<T, float>) {
            // A double beyond the float range has no float value to round to.
            constexpr double max = std::numeric_limits<float>::max();
            if (std::isfinite(d) && std::fabs(d) > max) return d > 0 ? float(max) : float(-max);
        }
        return static_cast<T>(d);
    } else {
        switch (n.kind()) {
        case Kind::Int: return static_cast<T>(n.intValue());
        case Kind::UInt: return static_cast<T>(n.uintValue());
        case Kind::Double: return saturate<T>(n.doubleValue());
        }
        return 0;
    }
}

// The decimal number at the start of the text (after blanks): an optional sign,
// digits with at most one point, an optional exponent. Integers that fit stay exact;
// zero when the text does not start with a number.
platform::Number decimalNumber(std::string_view text);

// Numbers by value across representations; a boolean is comparable only with a
// boolean; NaN is unordered.
std::partial_ordering compare(const platform::Number& a, const platform::Number& b);

}  // namespace vistrel::json_number
