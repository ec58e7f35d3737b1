#pragma once
// Property lists (XML or binary) in and out of the object model.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "vistrel/platform/foundation/value.hpp"

namespace platform {

// The largest property list read, in bytes: the library takes no more.
inline constexpr std::size_t maxPropertyListBytes = std::numeric_limits<std::uint32_t>::max();

// Why a property list gave no value.
enum class PropertyListRefusal {
    notAPropertyList,  // damaged, or never one
    pastBounds,        // sound as far as it was looked at, but larger than maxPropertyListBytes,
                       // nested deeper, or holding more values than the reader takes
};

struct PropertyListRead {
    std::optional<Value> value;
    std::optional<PropertyListRefusal> refusal;  // set exactly when `value` is not
};

// Reads an XML or binary property list. Booleans become numbers flagged as booleans,
// integers and reals numbers, data bytes, dates dates (to the microsecond), identifiers
// opaque values. The reader keeps a hostile file from exhausting the stack, the memory
// or the time: it takes at most 256 levels of nesting, and a binary file's shared
// objects count at every reference, up to a value for each byte of the file (a file's
// writer shares texts, numbers and dates, and a reference takes at least a byte).
PropertyListRead readPropertyListFully(std::string_view bytes);

// The value of readPropertyListFully; no value whatever the reason.
std::optional<Value> readPropertyList(std::string_view bytes);

// Writes an XML property list. Dates are written to the second, as XML property lists
// keep them; an identifier as XML property lists spell one (a dictionary of "CF$UID"),
// other opaque values as their description. No value when the value holds something a
// property list cannot (a null), or a date outside the years 1933...2069 (the
// property-list library takes dates in 32-bit seconds).
std::optional<std::string> writePropertyListXml(const Value& value);

// Writes a binary property list: as writePropertyListXml, but dates to the microsecond
// and identifiers as identifiers, so that what a binary file held reads back the same.
std::optional<std::string> writePropertyListBinary(const Value& value);

}  // namespace platform
