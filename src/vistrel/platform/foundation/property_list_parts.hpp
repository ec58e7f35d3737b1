#pragma once
// What the property-list readers and writers of both forms share (internal to
// platform/foundation): the bounds, dictionaries of unique keys, identifiers and dates.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
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

// What the values read from a binary file may take in memory: at least 64 MiB, and 12
// bytes for each of the file's (a reference of a byte or two becomes a value of 40 in its
// container). Each part of a value is counted, as what it allocates, before it is made,
// so that a file refused for its size costs no more than the part read before the count
// ran out. The reader counts a file so whether it makes its values or only measures them
// (checkBinary), so that the writer gives no file its reader refuses.
class ValueBudget {
public:
    static constexpr std::uint64_t kLeastBytes = std::uint64_t(64) << 20;
    static constexpr std::uint64_t kPerFileByte = 12;

    // The bytes the values of a file of `fileBytes` may take.
    static std::uint64_t forFile(std::size_t fileBytes);

    explicit ValueBudget(std::size_t fileBytes) : left_(forFile(fileBytes)) {}
    // Takes `bytes` from what is left: false, taking nothing, when fewer are left.
    bool take(std::uint64_t bytes);

    // What a part of a value allocates, the allocator's own bytes included, by the type of
    // its object (the marker's high four bits) and its length (items, characters or
    // bytes; a UTF-16 text as at most three bytes of UTF-8 a unit):
    // - a leaf: its text (nothing for a short one, which the value holds in itself), data
    //   or identifier; nothing for a number, a date or a boolean;
    // - a container: its box and its room for `length` values or entries;
    // - a dictionary's key: its text, copied into each dictionary that names it.
    // A part `kept` for other references to share adds its box (a text's) and the reader's
    // entry for it; none is kept that allocates nothing.
    // (Defined here: the reader asks for every object it meets.)
    static std::uint64_t part(unsigned char type, std::uint64_t length, bool kept) {
        const std::uint64_t asKept = kept ? keptEntry() : 0;
        switch (type) {
        case 0x4: return box<Bytes>() + (length == 0 ? 0 : block(length)) + asKept;
        case 0x5:
        case 0x6: {
            const std::uint64_t bytes = key(type, length);
            return bytes == 0 ? 0 : bytes + (kept ? box<std::string>() + keptEntry() : 0);
        }
        case 0x8: return box<Opaque>() + block(24) + asKept;  // its type name is short; its number may not be
        case 0xA: return box<Array>() + block(times(length, sizeof(Value))) + asKept;
        case 0xD: return box<Dictionary>() + block(times(length, sizeof(Dictionary::Entry))) + asKept;
        default: return 0;
        }
    }
    static std::uint64_t key(unsigned char type, std::uint64_t length) {
        const std::uint64_t utf8 = type == 0x6 ? times(length, 3) : length;
        return utf8 <= Value::inlineTextBytes ? 0 : block(utf8 + 1);
    }

    // `count` units of `size` bytes, saturated far below overflow.
    static constexpr std::uint64_t times(std::uint64_t count, std::uint64_t size) {
        constexpr std::uint64_t kMost = std::uint64_t(1) << 62;
        return count > kMost / size ? kMost : count * size;
    }

private:
    // A block of `bytes` with what the allocator keeps beside it, at most.
    static constexpr std::uint64_t block(std::uint64_t bytes) { return bytes + 16; }
    // The box a shared part of a value lives in: the part and its count of owners.
    template <typename T>
    static constexpr std::uint64_t box() {
        return block(sizeof(T) + sizeof(std::atomic<std::size_t>));
    }
    // What the reader's table of the values it keeps for other references takes for one:
    // a node of the value, its object and what it holds once expanded, and its bucket.
    static constexpr std::uint64_t keptEntry() {
        return block(2 * sizeof(void*) + sizeof(Value) + 4 * sizeof(std::uint64_t)) + sizeof(void*);
    }

    std::uint64_t left_;
};

PropertyListRead readBinary(std::string_view bytes);
PropertyListRead readXml(std::string_view bytes);
PropertyListWrite writeBinary(const Value& value);
std::optional<std::string> writeXml(const Value& value);

// Whether the binary reader takes a file the writer made, counted as the reader counts
// what it reads but without making the values: taken, nested deeper than it takes, or
// larger once read (in memory, or expanded) than it takes for the file's size.
enum class BinaryCheck { taken, tooDeep, tooLarge, refused };
BinaryCheck checkBinary(std::string_view bytes);

// What the values of a binary file of `fileBytes` may hold once expanded, every reference
// to a shared value counted (a walk through them meets that many): values, and bytes of
// texts and data (as the file holds them). A reference takes at least a byte, so a file's values are at most its
// bytes, but a small file may share a value among many references: at least 2^20 values
// and 256 MiB. Shared values are held once in memory; these bounds are for whoever walks.
std::uint64_t maxExpandedValues(std::size_t fileBytes);
std::uint64_t maxExpandedLeafBytes(std::size_t fileBytes);

// Whether every byte of the text is below 0x80: the binary form's texts of one byte a
// character, which a file's long texts mostly are.
inline bool isAscii(std::string_view text) {
    // Eight bytes at a time, then the few left.
    std::uint64_t high = 0;
    std::size_t at = 0;
    for (; at + 8 <= text.size(); at += 8) {
        std::uint64_t eight;
        std::memcpy(&eight, text.data() + at, 8);
        high |= eight;
    }
    for (; at < text.size(); ++at) high |= static_cast<unsigned char>(text[at]);
    return (high & 0x8080808080808080ULL) == 0;
}

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
// taken, and fields left out at the end: "2024-01-02T03:04Z", "2024-01-02Z"); a refusal
// for a text of no date (notAPropertyList) or one a Date cannot hold exactly
// (unrepresentable: digits that are not zero past the microseconds, a leap second, the
// year 0, no Z to say it is in UTC).
struct DateTextRead {
    std::optional<Date> date;
    std::optional<PropertyListRefusal> refusal;
};
DateTextRead dateOfIsoText(std::string_view text);

}  // namespace platform::plist
