#pragma once
// What the property-list readers and writers of both forms share (internal to
// platform/foundation): the bounds, dictionaries of unique keys, identifiers and dates.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vistrel/platform/foundation/property_list.hpp"
#include "vistrel/platform/foundation/value.hpp"

namespace platform::plist {

// Levels of values below the top one: property lists nest only as deep as their authors
// write them, and walks that recurse stay far from the stack's end.
inline constexpr int kMaxDepth = 256;

inline PropertyListRead refused(PropertyListRefusal why) { return {std::nullopt, why}; }

PropertyListRead readBinary(std::string_view bytes);
PropertyListRead readXml(std::string_view bytes);
std::optional<std::string> writeBinary(const Value& value);
std::optional<std::string> writeXml(const Value& value);

// The text without the white space XML allows around it (space, tab, line feed, return).
std::string_view trimmedXmlSpace(std::string_view text);

// The dictionary of the entries, in any order; no value when a key comes twice.
std::optional<Dictionary> dictionaryOfUniqueKeys(std::vector<Dictionary::Entry> entries);

// An identifier as the object model holds one: an opaque value of type "uid" whose
// description is the number in decimal, as the readers write it.
Value identifierValue(std::uint64_t uid);
// The number of an identifier spelled as identifierValue spells it; none for any other
// opaque value (another type, or a description that would not come back the same).
std::optional<std::uint64_t> identifierOf(const Opaque& opaque);

// --- Dates: seconds since 2001-01-01 UTC (a binary file's doubles), ISO 8601 texts (XML's)

// The date a binary file's seconds denote, to the nearest microsecond, with the seconds
// kept beside it when they say more (see DateValue); none for seconds that are not a
// number, infinite or past what a Date holds.
std::optional<Value> dateOfSeconds(double secondsSince2001);
// The seconds a binary file keeps a date value as: those it was read as, while they still
// denote its date, else its own; none when those would read back as another date.
std::optional<double> secondsOfDate(const Value& date);

// "YYYY-MM-DDTHH:MM:SSZ", with ".ffffff" before the Z when the date has microseconds;
// none outside the years 1 to 9999, and for a date with seconds read beside it.
std::optional<std::string> isoDateText(const Value& date);
// The date of such a text (white space around it and any number of fractional digits
// taken); a refusal for a text of no date (notAPropertyList) or one a Date cannot hold
// exactly (unrepresentable: digits that are not zero past the microseconds, a leap
// second, the year 0).
struct DateTextRead {
    std::optional<Date> date;
    std::optional<PropertyListRefusal> refusal;
};
DateTextRead dateOfIsoText(std::string_view text);

}  // namespace platform::plist
