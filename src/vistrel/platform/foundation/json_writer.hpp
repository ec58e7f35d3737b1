#pragma once
// Writing the object model as JSON text, in the platform's format: compact by
// default; pretty printed with two-space indents and " : " between key and value.
// Object members come in key order (the model keeps them sorted). Strings are
// escaped fully (quote, backslash, control characters, and "/" unless asked not
// to); non-ASCII text is written as UTF-8.
#include <optional>
#include <string>
#include <string_view>

#include "vistrel/platform/foundation/value.hpp"

namespace platform::json {

enum class WritingOptions : unsigned {
    none = 0,
    prettyPrinted = 1u << 0,
    withoutEscapingSlashes = 1u << 1,
    fragmentsAllowed = 1u << 2,  // a top-level value that is neither array nor object
};
constexpr WritingOptions operator|(WritingOptions a, WritingOptions b) {
    return static_cast<WritingOptions>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool contains(WritingOptions set, WritingOptions flag) {
    return (static_cast<unsigned>(set) & static_cast<unsigned>(flag)) != 0;
}

// Whether the value can be written: an array or object at the top (any value with
// `fragmentsAllowed`), inside only null, numbers, UTF-8 strings, arrays and objects,
// no NaN or infinity, no data, date or opaque value, nesting at most maxDepth (json_reader.hpp)
// deep, so that whatever is written reads back.
bool isValidJSONObject(const Value& value,
                       WritingOptions options = WritingOptions::none);

// The text, or no value when the value is not valid (isValidJSONObject).
std::optional<std::string> write(const Value& value,
                                 WritingOptions options = WritingOptions::none);

// Appends the string as a quoted JSON string. False (and nothing appended) when the
// text is not valid UTF-8.
bool appendQuoted(std::string& out, std::string_view text,
                  WritingOptions options = WritingOptions::none);

// Appends the number as JSON writes it: booleans as true/false, integers in decimal,
// doubles in their shortest form that reads back to the same double. False (and
// nothing appended) for NaN and infinity.
bool appendNumber(std::string& out, const Number& number);

// The number's own text: as appendNumber, except that booleans give "1" or "0" and
// non-finite doubles give "nan", "inf" or "-inf".
std::string numberText(const Number& number);

bool isValidUtf8(std::string_view text);

}  // namespace platform::json
