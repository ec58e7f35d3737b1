#pragma once
// Property lists (XML or binary) in and out of the object model, value for value: what a
// file holds either reads exactly or does not read, and what is written reads back as
// the value written, or is refused.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "vistrel/platform/foundation/value.hpp"

namespace platform {

// The largest property list read, in bytes.
inline constexpr std::size_t maxPropertyListBytes = std::numeric_limits<std::uint32_t>::max();

// Why a property list gave no value.
enum class PropertyListRefusal {
    notAPropertyList,  // damaged, or never one
    pastBounds,        // sound as far as it was looked at, but larger than maxPropertyListBytes,
                       // nested deeper, or holding more values than the reader takes
    unrepresentable,   // sound as far as it was looked at, but holding what the object model
                       // cannot carry exactly: a text that is no valid ASCII, UTF-16 or UTF-8,
                       // an integer beyond 64 bits, a wide identifier, a set, a null, a key that
                       // is no text, one key twice in a dictionary, a date the model cannot
                       // hold, a binary form of another version, or the old text form
};

struct PropertyListRead {
    std::optional<Value> value;
    std::optional<PropertyListRefusal> refusal;  // set exactly when `value` is not
};

enum class PropertyListFormat { xml, binary };

// What the first bytes of a file say of it: a property list begins in its first
// propertyListStartBytes bytes, as "bplist" (binary) or, after an optional byte-order
// mark and white space, with "<" (XML); "{" or "(" there is the old text form. Given
// fewer bytes than that and nothing but white space: undecided (the whole of a file:
// none).
enum class PropertyListStart { binary, xml, oldStyle, none, undecided };
inline constexpr std::size_t propertyListStartBytes = 4096;
PropertyListStart propertyListStart(std::string_view bytes);

// Reads an XML or binary property list. Booleans become numbers flagged as booleans,
// integers numbers of 64 signed bits, or unsigned past the signed ones, reals doubles,
// data bytes, dates dates (to the microsecond, with the seconds a binary file gave when
// they say more: see DateValue), identifiers of a binary file opaque values of type
// "uid" holding their decimal number. A dictionary of XML holding only "CF$UID" stays a
// dictionary. An object a binary file references more than once is read once, and its
// value (a container, a text, data) shared among the references; one it references once
// is read as any other value. The reader keeps a hostile file from exhausting the stack,
// the memory or the time: it takes at most 256 levels of nesting below the top value, no
// entity declaration of XML; what a binary file's values allocate is counted before each
// part is made, up to 64 MiB and 12 bytes for each of the file's; and what they hold once
// expanded, counted at every reference for whoever walks them, is at most a value for
// each byte of the file (at least 2^20), and texts and data of 16 bytes for each (at least
// 256 MiB).
PropertyListRead readPropertyListFully(std::string_view bytes);

// The value of readPropertyListFully; no value whatever the reason.
std::optional<Value> readPropertyList(std::string_view bytes);

// Writes the value in the format, or gives no value when the format cannot keep it
// exactly: a null, an opaque value other than an identifier (type "uid", a decimal
// number), a text or key that is not valid UTF-8, or nesting deeper than the reader takes.
// - XML: the texts and keys XML 1.0 can hold (no control character but tab, line feed
//   and carriage return, no U+FFFE or U+FFFF), dates of the years 1 to 9999 (to the
//   microsecond, with no seconds read beside them), and no identifier (XML spells one as
//   a dictionary, which reads back as a dictionary).
// - Binary: any text, dates whose seconds since 2001 read back as the same date. A
//   value shared among references (a container, a long text, data) and equal long
//   leaves are written once. The file is measured as its reader counts it: one that would
//   hold more, once read, than the reader takes for its size is written again with only
//   what the value itself shares written once, and refused (pastBounds) when that file
//   would still hold more.
std::optional<std::string> writePropertyList(PropertyListFormat format, const Value& value);
std::optional<std::string> writePropertyListXml(const Value& value);
std::optional<std::string> writePropertyListBinary(const Value& value);

// The file, or why there is none: unrepresentable for what the format cannot keep
// exactly, pastBounds for a value too large once read for the file that holds it.
struct PropertyListWrite {
    std::optional<std::string> bytes;
    std::optional<PropertyListRefusal> refusal;  // set exactly when `bytes` is not
};
PropertyListWrite writePropertyListFully(PropertyListFormat format, const Value& value);

// Why the top dictionary of a file of the format cannot keep `value` under `key` (as
// writePropertyListFully tells it), none when it keeps it exactly: what the file's owner
// asks before it takes a value it will write.
std::optional<PropertyListRefusal> propertyListEntryRefusal(PropertyListFormat format, std::string_view key,
                                                            const Value& value);
// Whether it keeps it.
bool propertyListHoldsEntry(PropertyListFormat format, std::string_view key, const Value& value);

}  // namespace platform
