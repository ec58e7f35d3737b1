#pragma once
// JSON: the dynamic value through which every service answer is read.
//
// A value holds a raw object of the platform's object model together with its kind
// and, where a step failed, an error. Copies are cheap: arrays and objects are shared
// and copied only when one copy changes. Nothing here throws or crashes on bad input:
// a failed read gives a null value carrying an error, a failed write changes nothing,
// a failed conversion gives an absent result.
#include <any>
#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "vistrel/core/json/json_error.hpp"
#include "vistrel/core/json/json_index.hpp"
#include "vistrel/core/json/json_key.hpp"
#include "vistrel/core/json/json_type.hpp"
#include "vistrel/platform/foundation/json_reader.hpp"
#include "vistrel/platform/foundation/json_writer.hpp"
#include "vistrel/platform/foundation/value.hpp"

namespace vistrel {

using ReadingOptions = platform::json::ReadingOptions;
using WritingOptions = platform::json::WritingOptions;

// The encodings the text forms can turn written bytes into.
enum class StringEncoding { utf8, ascii };

// Keys of the writing-options map of rawString(map). Expected value types:
// jsonSerialization: WritingOptions; castNilToNSNull: bool; maxObjextDepth: a signed
// integer (int, long or long long); encoding: StringEncoding. A value of another type
// counts as absent.
enum class writingOptionsKeys { jsonSerialization, castNilToNSNull, maxObjextDepth, encoding };
using WritingOptionsMap = std::map<writingOptionsKeys, std::any>;

template <typename T>
concept JSONInteger = JSONIndexInteger<T>;

class JSON {
public:
    using Index = JSONIndex;
    using Element = std::pair<std::string, JSON>;

    // --- Construction (any value is classified into a kind) ---------------------------
    JSON() = default;  // null, without error
    JSON(std::nullptr_t) {}
    JSON(std::nullopt_t) {}
    JSON(bool value);
    template <JSONInteger T>
    JSON(T value) : JSON(integerNumber(value)) {}
    JSON(char) = delete;  // a character would otherwise become a bool
    template <std::floating_point T>
    JSON(T value) : JSON(platform::Number::fromDouble(static_cast<double>(value))) {}
    JSON(const char* text);  // a string, never a bool; a null pointer gives null
    JSON(std::string text);
    JSON(std::string_view text);
    JSON(const std::vector<JSON>& elements);
    JSON(const std::map<std::string, JSON>& members);
    template <typename T>
    JSON(const std::optional<T>& value) : JSON(value ? JSON(*value) : JSON()) {}
    // A raw value: one of no JSON kind (data, a date, an opaque value) is of kind unknown
    // with the unsupported-type error.
    explicit JSON(const platform::Value& raw);
    explicit JSON(platform::Value&& raw);
    explicit JSON(platform::Number number) : JSON(platform::Value(number)) {}
    // Any other pointer would silently become a bool.
    template <typename T>
    JSON(const T*) = delete;

    // Bytes of JSON text. Text that is not JSON gives null without error; the reader's
    // error goes out through `error` only.
    static JSON fromData(std::string_view data,
                         ReadingOptions options = ReadingOptions::allowFragments,
                         std::optional<JSONError>* error = nullptr);
    // Text holding JSON, read with the default options.
    static JSON parseJSON(std::string_view text);
    static JSON parse(std::string_view text) { return parseJSON(text); }
    // A new null value without error. (The instance accessor null() is another thing.)
    static JSON nullJSON() { return JSON(); }

    // --- Literals and raw values -----------------------------------------------------
    static JSON arrayLiteral(std::initializer_list<JSON> elements);
    // Pairs in the order written; of a key written twice the last pair wins.
    static JSON dictionaryLiteral(std::initializer_list<std::pair<std::string, JSON>> pairs);
    // No value when the wrapped value is of kind unknown.
    static std::optional<JSON> fromRawValue(JSON wrapped);
    template <typename T>
        requires std::constructible_from<JSON, T>
    static std::optional<JSON> fromRawValue(T&& value) {
        return fromRawValue(JSON(std::forward<T>(value)));
    }
    platform::Value rawValue() const { return object(); }

    // --- Raw object, kind and error -----------------------------------------------
    // The raw value of the current kind; null for the kinds null and unknown.
    platform::Value object() const;
    // The same raw value borrowed instead of copied: valid while this value lives
    // unchanged. For readers that look into one value many times.
    const platform::Value& borrowedObject() const { return object_; }
    // Clears the error, then classifies the new value.
    void setObject(platform::Value raw);
    void setObject(const JSON& value);  // stores its object: a value of kind unknown stores null
    template <typename T>
        requires std::constructible_from<JSON, T> &&
                 (!std::same_as<std::remove_cvref_t<T>, JSON>) &&
                 (!std::same_as<std::remove_cvref_t<T>, platform::Value>)
    void setObject(T&& value) {
        setObject(JSON(std::forward<T>(value)));
    }

    Type type() const { return type_; }
    std::optional<JSONError> error() const {
        return error_ ? std::optional<JSONError>(*error_) : std::nullopt;
    }

    // --- Path subscripts --------------------------------------------------------------
    // Reads along the path; a step that cannot be taken gives null carrying an error,
    // and every later step passes that first error on. An empty path gives this value.
    JSON operator[](const JSONKey& step) const;
    JSON operator[](std::initializer_list<JSONKey> path) const;
    JSON operator[](const std::vector<JSONKey>& path) const;
    // Writes along the path: replaces an element of an existing array or inserts or
    // replaces a member of an existing object; creates no container on the way and
    // changes nothing where the path leads nowhere.
    void set(const JSONKey& step, const JSON& newValue);
    void set(std::initializer_list<JSONKey> path, const JSON& newValue);
    void set(const std::vector<JSONKey>& path, const JSON& newValue);

    // --- Typed accessors (optional: the value when the kind fits; ...Value: converts) ---
    std::optional<std::vector<JSON>> array() const;
    std::vector<JSON> arrayValue() const;
    std::optional<platform::Array> arrayObject() const;
    void setArrayObject(std::optional<platform::Array> elements);
    void setArrayObject(const std::vector<JSON>& elements);

    std::optional<std::map<std::string, JSON>> dictionary() const;
    std::map<std::string, JSON> dictionaryValue() const;
    std::optional<platform::Dictionary> dictionaryObject() const;
    void setDictionaryObject(std::optional<platform::Dictionary> members);
    void setDictionaryObject(const std::map<std::string, JSON>& members);

    std::optional<bool> bool_() const;
    bool boolValue() const;
    void setBool(std::optional<bool> value);
    void setBoolValue(bool value);

    // On a temporary (doc["Name"].string()) the text is moved out, not copied.
    std::optional<std::string> string() const&;
    std::optional<std::string> string() &&;
    std::string stringValue() const&;
    std::string stringValue() &&;
    void setString(std::optional<std::string> value);
    void setStringValue(std::string value);

    std::optional<platform::Number> number() const;
    platform::Number numberValue() const;
    void setNumber(std::optional<platform::Number> value);
    void setNumberValue(platform::Number value);

    std::optional<std::nullptr_t> null() const;
    template <typename T>
    void setNull(const T&) { setObject(platform::Value()); }
    void setNull() { setObject(platform::Value()); }

    // The address text (percent-encoded unless it already holds an escape), or no
    // value when the text is not an address.
    std::optional<std::string> url() const;
    void setUrl(std::optional<std::string> absoluteString);

    // Numbers convert without undefined behaviour: a floating value beyond an integer
    // type saturates and NaN gives 0; integers narrow by wrapping (two's complement).
    std::optional<double> double_() const;
    std::optional<float> float_() const;
    std::optional<std::intptr_t> int_() const;
    std::optional<std::uintptr_t> uInt() const;
    std::optional<std::int8_t> int8() const;
    std::optional<std::uint8_t> uInt8() const;
    std::optional<std::int16_t> int16() const;
    std::optional<std::uint16_t> uInt16() const;
    std::optional<std::int32_t> int32() const;
    std::optional<std::uint32_t> uInt32() const;
    std::optional<std::int64_t> int64() const;
    std::optional<std::uint64_t> uInt64() const;
    double doubleValue() const;
    float floatValue() const;
    std::intptr_t intValue() const;
    std::uintptr_t uIntValue() const;
    std::int8_t int8Value() const;
    std::uint8_t uInt8Value() const;
    std::int16_t int16Value() const;
    std::uint16_t uInt16Value() const;
    std::int32_t int32Value() const;
    std::uint32_t uInt32Value() const;
    std::int64_t int64Value() const;
    std::uint64_t uInt64Value() const;
    void setDouble(std::optional<double> value);
    void setFloat(std::optional<float> value);
    void setInt(std::optional<std::intptr_t> value);
    void setUInt(std::optional<std::uintptr_t> value);
    void setInt8(std::optional<std::int8_t> value);
    void setUInt8(std::optional<std::uint8_t> value);
    void setInt16(std::optional<std::int16_t> value);
    void setUInt16(std::optional<std::uint16_t> value);
    void setInt32(std::optional<std::int32_t> value);
    void setUInt32(std::optional<std::uint32_t> value);
    void setInt64(std::optional<std::int64_t> value);
    void setUInt64(std::optional<std::uint64_t> value);
    void setDoubleValue(double value) { setDouble(value); }
    void setFloatValue(float value) { setFloat(value); }
    void setIntValue(std::intptr_t value) { setInt(value); }
    void setUIntValue(std::uintptr_t value) { setUInt(value); }
    void setInt8Value(std::int8_t value) { setInt8(value); }
    void setUInt8Value(std::uint8_t value) { setUInt8(value); }
    void setInt16Value(std::int16_t value) { setInt16(value); }
    void setUInt16Value(std::uint16_t value) { setUInt16(value); }
    void setInt32Value(std::int32_t value) { setInt32(value); }
    void setUInt32Value(std::uint32_t value) { setUInt32(value); }
    void setInt64Value(std::int64_t value) { setInt64(value); }
    void setUInt64Value(std::uint64_t value) { setUInt64(value); }

    // False only for a value read through a path that led nowhere (codes 500, 900, 901).
    bool exists() const;

    // --- Text writing ------------------------------------------------------------------
    // The JSON bytes of an array or object (compact by default); no value, and the
    // invalid-JSON error, for anything that is not a valid JSON document.
    std::optional<std::string> rawData(WritingOptions options = WritingOptions::none,
                                       std::optional<JSONError>* error = nullptr) const;
    // Containers as JSON text (pretty printed by default); a string as its bare text,
    // a number as its text, true/false, "null"; no value for unknown or on failure.
    std::optional<std::string> rawString(
        StringEncoding encoding = StringEncoding::utf8,
        WritingOptions options = WritingOptions::prettyPrinted) const;
    std::optional<std::string> rawString(const WritingOptionsMap& options) const;
    // The pretty-printed text, or "unknown".
    std::string description() const;
    std::string debugDescription() const { return description(); }

    // --- Merge -------------------------------------------------------------------------
    // Objects merge deeply, arrays concatenate, anything else is replaced. Values that
    // differ in kind at the top are an error: false, this value unchanged.
    bool merge(const JSON& other, std::optional<JSONError>* error = nullptr);
    std::optional<JSON> merged(const JSON& other,
                               std::optional<JSONError>* error = nullptr) const;

    // --- Walking as a collection of (index-or-key, member) pairs -------------------------
    Index startIndex() const;
    Index endIndex() const;
    Index index(const Index& after) const;
    // The pair at a position; the empty text and null for a position out of range.
    Element operator[](const Index& position) const;

    class const_iterator {
    public:
        using value_type = Element;
        using difference_type = std::ptrdiff_t;
        const_iterator() = default;
        const_iterator(const JSON* json, Index position) : json_(json), position_(position) {}
        Element operator*() const { return (*json_)[position_]; }
        const_iterator& operator++() {
            position_ = json_->index(position_);
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++*this;
            return before;
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) {
            return a.position_ == b.position_;
        }

    private:
        const JSON* json_ = nullptr;
        Index position_ = Index::null();
    };
    const_iterator begin() const { return const_iterator(this, startIndex()); }
    const_iterator end() const { return const_iterator(this, endIndex()); }

    // --- Comparison ---------------------------------------------------------------------
    // Numbers by value across representations (never equal to booleans), texts by
    // code points; booleans, arrays, objects and nulls only by equality; values of
    // different kinds, and values of kind unknown, are neither equal nor ordered.
    friend bool operator==(const JSON& a, const JSON& b);
    friend bool operator<(const JSON& a, const JSON& b);
    friend bool operator>(const JSON& a, const JSON& b);
    friend bool operator<=(const JSON& a, const JSON& b);
    friend bool operator>=(const JSON& a, const JSON& b);

private:
    template <JSONInteger T>
    static platform::Number integerNumber(T value) {
        if constexpr (std::signed_integral<T>)
            return platform::Number::fromInt(static_cast<std::int64_t>(value));
        else
            return platform::Number::fromUInt(static_cast<std::uint64_t>(value));
    }

    void classify();  // the kind of object_ (one of no JSON kind is dropped, with its error)
    JSON readIndex(std::ptrdiff_t index) const;
    JSON readKey(const std::string& key) const;
    JSON readStep(const JSONKey& step) const;
    void writeStep(const JSONKey& step, const JSON& newValue);
    void writePath(const JSONKey* steps, std::size_t count, const JSON& newValue);
    JSON readPath(const JSONKey* steps, std::size_t count) const;
    static JSON withError(JSONError error);
    static JSON withError(std::shared_ptr<const JSONError> error);

    std::optional<std::string> rawStringCore(StringEncoding encoding,
                                             const WritingOptionsMap& options,
                                             std::int64_t maxObjectDepth,
                                             std::optional<JSONError>* thrown) const;

    platform::Value object_;  // null for the kinds null and unknown
    Type type_ = Type::null;
    std::shared_ptr<const JSONError> error_;  // shared: copies along a failed path stay cheap
};

// Prints the description.
std::ostream& operator<<(std::ostream& out, const JSON& value);

}  // namespace vistrel
