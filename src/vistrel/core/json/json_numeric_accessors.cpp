// Typed accessors of the numeric family: one optional and one defaulting reading and
// a setter for each width.
#include "vistrel/core/json/json.hpp"
#include "vistrel/core/json/json_number.hpp"

namespace vistrel {

namespace {

template <typename T>
std::optional<T> optionalOf(const std::optional<platform::Number>& n) {
    if (!n) return std::nullopt;
    return json_number::convert<T>(*n);
}

template <typename T>
platform::Value rawNumber(const std::optional<T>& value) {
    if (!value) return platform::Value();
    if constexpr (std::floating_point<T>)
        return platform::Number::fromDouble(static_cast<double>(*value));
    else if constexpr (std::signed_integral<T>)
        return platform::Number::fromInt(static_cast<std::int64_t>(*value));
    else
        return platform::Number::fromUInt(static_cast<std::uint64_t>(*value));
}

}  // namespace

#define VISTREL_JSON_NUMERIC(T, getter, valueGetter, setter)                               \
    std::optional<T> JSON::getter() const { return optionalOf<T>(number()); }             \
    T JSON::valueGetter() const { return json_number::convert<T>(numberValue()); }        \
    void JSON::setter(std::optional<T> value) { setObject(rawNumber(value)); }

VISTREL_JSON_NUMERIC(double, double_, doubleValue, setDouble)
VISTREL_JSON_NUMERIC(float, float_, floatValue, setFloat)
VISTREL_JSON_NUMERIC(std::intptr_t, int_, intValue, setInt)
VISTREL_JSON_NUMERIC(std::uintptr_t, uInt, uIntValue, setUInt)
VISTREL_JSON_NUMERIC(std::int8_t, int8, int8Value, setInt8)
VISTREL_JSON_NUMERIC(std::uint8_t, uInt8, uInt8Value, setUInt8)
VISTREL_JSON_NUMERIC(std::int16_t, int16, int16Value, setInt16)
VISTREL_JSON_NUMERIC(std::uint16_t, uInt16, uInt16Value, setUInt16)
VISTREL_JSON_NUMERIC(std::int32_t, int32, int32Value, setInt32)
VISTREL_JSON_NUMERIC(std::uint32_t, uInt32, uInt32Value, setUInt32)
VISTREL_JSON_NUMERIC(std::int64_t, int64, int64Value, setInt64)
VISTREL_JSON_NUMERIC(std::uint64_t, uInt64, uInt64Value, setUInt64)

#undef VISTREL_JSON_NUMERIC

}  // namespace vistrel
