#pragma once
// Property lists (XML or binary) in and out of the object model.
#include <optional>
#include <string>
#include <string_view>

#include "vistrel/platform/foundation/value.hpp"

namespace platform {

// Reads an XML or binary property list. Booleans become numbers flagged as booleans,
// integers and reals numbers, data bytes, dates dates (to the microsecond), identifiers
// opaque values.
// No value when the bytes are not a property list.
std::optional<Value> readPropertyList(std::string_view bytes);

// Writes an XML property list. Dates are written to the second, as XML property lists
// keep them; opaque values as their description. No value when the value holds
// something a property list cannot (a null), or a date outside the years 1933...2069
// (the property-list library takes dates in 32-bit seconds).
std::optional<std::string> writePropertyListXml(const Value& value);

}  // namespace platform
