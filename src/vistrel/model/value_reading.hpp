#pragma once
// How the readers of the answer turn its values into numbers and flags. Style values
// arrive as texts and are read whole, without the locale: "+8" and "-2" are integers,
// "8px", " 8" and "8.5" are not; a float is a decimal number with an optional
// fraction and exponent, never "inf", "nan", hexadecimal or out of range.
#include <cstdint>
#include <optional>
#include <string_view>

#include "vistrel/core/json/json.hpp"

namespace vistrel::value_reading {

// The whole text as a base-10 integer that fits a machine word.
std::optional<std::intptr_t> wholeInteger(std::string_view text);
// The whole text as a finite number of the type.
std::optional<float> wholeFloat(std::string_view text);
std::optional<double> wholeDouble(std::string_view text);

// The optional integer reading of a JSON value (a boolean gives 1 or 0), with numbers
// beyond the machine word held at its limits rather than wrapped.
std::optional<std::intptr_t> machineInteger(const JSON& value);

}  // namespace vistrel::value_reading
