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
#include <type_traits>

#include "vistrel/platform/foundation/value.hpp"

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

struct ViewMember;

// A value of a document that was read but not converted, looked at where the reader
// left it: for readers that take a few members and keep nothing of the document.
// Views are handed out by readView and are valid only during its call.
class ValueView {
public:
    // A view of nothing, which reads as null.
    ValueView() = default;

    Value::Type type() const;  // never Opaque
    std::optional<std::string_view> string() const;
    // Numbers and booleans, as read() makes them.
    std::optional<Number> number() const;
    // The member under the key when this is an object; of equal keys the last one, the
    // one read() keeps.
    std::optional<ValueView> member(std::string_view key) const;

    // The members of an object in document order, equal keys included: as many as fit
    // into `out`. Gives how many there are (none for anything but an object).
    std::size_t members(ViewMember* out, std::size_t capacity) const;
    // The elements of an array in order: as many as fit into `out`. Gives how many there
    // are (none for anything but an array).
    std::size_t elements(ValueView* out, std::size_t capacity) const;
    // The value as read() gives it (null for a view of nothing): for a reader that keeps
    // some parts of a document whole and leaves the rest unconverted.
    Value value() const;

    // Room for the parser's own handle of the value, which this header does not see.
    struct Element {
        alignas(void*) unsigned char bytes[2 * sizeof(void*)];
    };

private:
    friend struct ViewAccess;
    Element element_;  // meaningful only while viewing_
    bool viewing_ = false;
};

struct ViewMember {
    std::string_view key;
    ValueView value;
};

using ViewUse = void (*)(void* context, const ValueView& root);

// Reads the text as read() does, with the same verdict, and hands `use` a view of the
// value instead of converting it. False, and `use` not called, exactly where read()
// gives no value.
bool readViewWith(std::string_view text, ViewUse use, void* context,
                  ReadingOptions options = ReadingOptions::allowFragments,
                  ReadError* error = nullptr);

// The same with any callable taking the root view.
template <typename Use>
bool readView(std::string_view text, Use&& use,
              ReadingOptions options = ReadingOptions::allowFragments, ReadError* error = nullptr) {
    ViewUse call = [](void* context, const ValueView& root) {
        (*static_cast<std::remove_reference_t<Use>*>(context))(root);
    };
    return readViewWith(text, call, const_cast<void*>(static_cast<const void*>(&use)), options, error);
}

}  // namespace platform::json
