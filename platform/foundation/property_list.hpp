#pragma once
// Property lists (XML or binary) in and out of the object model.
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/value.hpp"

namespace platform {

// Reads an XML or binary property list. Booleans become numbers flagged as booleans,
// integers and reals numbers, dates dates, data bytes, identifiers opaque values.
// No value when the bytes are not a property list.
std::optional<Value> readPropertyList(std::string_view bytes);

// Writes an XML property list. Opaque values are written as their description.
// No value when the value holds something a property list cannot (a null, a date
// beyond the years 1933...2069 that the format's 32-bit seconds reach).
std::optional<std::string> writePropertyListXml(const Value& value);

}  // namespace platform
