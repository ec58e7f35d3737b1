#include "vistrel/model/value_reading.hpp"

#include <limits>

#include "vistrel/platform/foundation/numbers.hpp"

namespace vistrel::value_reading {

std::optional<std::intptr_t> wholeInteger(std::string_view text) {
    auto value = platform::numbers::parseInt64(text);
    if (!value || *value > std::numeric_limits<std::intptr_t>::max() ||
        *value < std::numeric_limits<std::intptr_t>::min())
        return std::nullopt;
    return static_cast<std::intptr_t>(*value);
}

std::optional<float> wholeFloat(std::string_view text) { return platform::numbers::parseFloat(text); }

std::optional<double> wholeDouble(std::string_view text) { return platform::numbers::parseDouble(text); }

std::optional<std::intptr_t> machineInteger(const JSON& value) {
    // An unsigned number above the signed range would wrap to a negative one.
    if (value.type() == Type::number) {
        auto number = value.number();
        if (number && number->kind() == platform::Number::Kind::UInt &&
            number->uintValue() > static_cast<std::uint64_t>(std::numeric_limits<std::intptr_t>::max()))
            return std::numeric_limits<std::intptr_t>::max();
    }
    return value.int_();
}

}  // namespace vistrel::value_reading
