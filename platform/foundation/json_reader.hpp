#pragma once
// Reading JSON text into the object model.
//
// What the reader accepts: RFC 8259 JSON in UTF-8 (a leading byte-order mark is
// skipped), a top-level value of any kind when fragments are allowed, at most
// `maxDepth` nested arrays and objects. Invalid UTF-8, unescaped control characters
// in strings, lone surrogate escapes and numbers outside the double range are
// errors. Booleans become numbers flagged as booleans; integers that fit stay int64
// or uint64; other numbers become doubles. Of duplicate keys the last one wins.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/value.hpp"

namespace platform::json {

// The deepest nesting of arrays and objects read or written; one more is an error.
inline constexpr std::size_t maxDepth = 512;

enum class ReadingOptions : unsigned {
    none = 0,
    allowFragments = 1u << 0,  // a top-level value that is neither array nor object
};
constexpr ReadingOptions operator|(ReadingOptions a, ReadingOptions b) {
    return static_cast<ReadingOptions>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool contains(ReadingOptions set, ReadingOptions flag) {
    return (static_cast<unsigned>(set) & static_cast<unsigned>(flag)) != 0;
}

inline constexpr std::string_view ReadErrorDomain = "JSONReaderErrorDomain";

enum class ReadErrorCode {
    empty = 1,        // no value in the text
    syntax = 2,       // not JSON: structure, literals, escapes, trailing content
    encoding = 3,     // invalid UTF-8
    string = 4,       // a bad escape, a lone surrogate escape, an unescaped control character
    number = 5,       // a malformed number, or one beyond the double range
    tooDeep = 6,      // more than maxDepth nested arrays and objects
    fragment = 7,     // a top-level scalar without allowFragments
    tooLarge = 8,     // more text than the reader can take
};

struct ReadError {
    ReadErrorCode code = ReadErrorCode::syntax;
    std::string message;
};

// The value the text holds, or no value (and the reason through `error`).
std::optional<Value> read(std::string_view text,
                          ReadingOptions options = ReadingOptions::allowFragments,
                          ReadError* error = nullptr);

}  // namespace platform::json
