#pragma once
// The platform's object model: what property lists and JSON documents read into.
// Containers and data are immutable once shared and copied on write, so copying a Value
// holding them is cheap whatever their size; so are texts made shared (sharedText).
#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace platform {

class Value;

// A number keeps the kind it was made with: a signed or unsigned 64-bit integer or a
// double. Numbers made from booleans carry a flag so they can be told from 1 and 0.
class Number {
public:
    enum class Kind { Int, UInt, Double };

    Number() = default;
    static Number fromInt(std::int64_t v) { Number n; n.kind_ = Kind::Int; n.i_ = v; return n; }
    static Number fromUInt(std::uint64_t v) { Number n; n.kind_ = Kind::UInt; n.u_ = v; return n; }
    static Number fromDouble(double v) { Number n; n.kind_ = Kind::Double; n.d_ = v; return n; }
    static Number fromBool(bool v) { Number n = fromInt(v ? 1 : 0); n.isBool_ = true; return n; }

    Kind kind() const { return kind_; }
    bool isBool() const { return isBool_; }
    std::int64_t intValue() const { return i_; }     // meaningful for Kind::Int
    std::uint64_t uintValue() const { return u_; }   // meaningful for Kind::UInt
    double doubleValue() const { return d_; }        // meaningful for Kind::Double

    // The value as a double whatever its kind (large integers lose precision).
    double asDouble() const;
    bool asBool() const;

    // Numeric equality across kinds; a boolean equals only a boolean of the same truth.
    friend bool operator==(const Number& a, const Number& b);

private:
    Kind kind_ = Kind::Int;
    bool isBool_ = false;
    union {
        std::int64_t i_ = 0;
        std::uint64_t u_;
        double d_;
    };
};

// Bytes of a data value.
using Bytes = std::vector<std::uint8_t>;

// A moment in time, to the microsecond.
using Date = std::chrono::sys_time<std::chrono::microseconds>;

// A date as a value holds: its moment, and the seconds since 2001-01-01 UTC it was read
// as, where a property list counted them as a double that says more than microseconds
// can (a fraction of a microsecond, or bits past a double's precision far from 2001).
// Kept so that the file's writer gives those seconds back bit for bit.
struct DateValue {
    Date date;
    std::optional<double> secondsSince2001;
};

// A value of no kind of its own here (an identifier in a property list, say): only its
// kind name and a printable description are kept.
struct Opaque {
    std::string typeName;
    std::string description;
    friend bool operator==(const Opaque&, const Opaque&) = default;
};

// Text-keyed dictionary, kept sorted by key; keys are unique.
class Dictionary {
public:
    using Entry = std::pair<std::string, Value>;
    using const_iterator = std::vector<Entry>::const_iterator;

    Dictionary() = default;
    // Builds from entries in any order; of equal keys the last one wins.
    explicit Dictionary(std::vector<Entry> entries);
    // Takes entries whose keys already increase strictly, as they are: for readers that
    // sort while reading and would otherwise pay for the order twice.
    static Dictionary fromSortedEntries(std::vector<Entry> entries);

    const Value* find(std::string_view key) const;
    Value* find(std::string_view key);
    bool contains(std::string_view key) const { return find(key) != nullptr; }
    void set(std::string key, Value value);
    bool erase(std::string_view key);

    // Defined below Value: clang needs the entry type complete here.
    std::size_t size() const;
    bool empty() const;
    const_iterator begin() const { return entries_.begin(); }
    const_iterator end() const { return entries_.end(); }
    const std::vector<Entry>& entries() const { return entries_; }

    friend bool operator==(const Dictionary& a, const Dictionary& b);

private:
    std::vector<Entry> entries_;
};

using Array = std::vector<Value>;

// A shared, immutable-while-shared box, the storage of containers. Copies share the
// box; a copy made for writing is taken only while others hold it. Whether others
// hold it is read with acquire ordering, paired with the release of every drop, so
// whatever another thread did with its copy happens before this owner writes in place.
template <typename T>
class SharedBox {
public:
    SharedBox() = default;
    explicit SharedBox(T value) : box_(new Box{std::move(value)}) {}
    SharedBox(const SharedBox& other) noexcept : box_(other.box_) {
        if (box_) box_->owners.fetch_add(1, std::memory_order_relaxed);
    }
    SharedBox(SharedBox&& other) noexcept : box_(std::exchange(other.box_, nullptr)) {}
    SharedBox& operator=(SharedBox other) noexcept {
        std::swap(box_, other.box_);
        return *this;
    }
    ~SharedBox() {
        if (box_ && box_->owners.fetch_sub(1, std::memory_order_acq_rel) == 1) delete box_;
    }

    const T* get() const { return box_ ? &box_->value : nullptr; }
    // Held by this owner only (false for an empty box).
    bool unique() const { return box_ && box_->owners.load(std::memory_order_acquire) == 1; }
    // The value for writing: copied first into a box of its own while it is shared.
    T* mutableGet() {
        if (!box_) return nullptr;
        if (!unique()) *this = SharedBox(T(box_->value));
        return &box_->value;
    }

private:
    struct Box {
        T value;
        std::atomic<std::size_t> owners{1};
    };
    Box* box_ = nullptr;
};

class Value {
public:
    enum class Type { Null, Number, String, Array, Dictionary, Opaque, Data, Date };

    Value() = default;
    Value(std::nullptr_t) {}
    Value(Number n) : v_(n) {}
    Value(std::string s) : v_(std::move(s)) {}
    Value(std::string_view s) : v_(std::in_place_type<std::string>, s) {}
    Value(const char* s) : v_(std::string(s)) {}

    // Texts up to this many bytes fit in a value without storage of their own (at least).
    static constexpr std::size_t inlineTextBytes = 15;
    // A text whose storage copies share, copied on write, as a container's: for a reader
    // that hands one text to many references. A text that fits in the value is kept there.
    static Value sharedText(std::string text);
    Value(Array a) : v_(SharedBox<Array>(std::move(a))) {}
    Value(Dictionary d) : v_(SharedBox<Dictionary>(std::move(d))) {}
    Value(Opaque o) : v_(SharedBox<Opaque>(std::move(o))) {}
    Value(Bytes b) : v_(SharedBox<Bytes>(std::move(b))) {}
    Value(Date d) : v_(DateValue{d, std::nullopt}) {}
    // A date and the seconds since 2001 it was read as (see DateValue); only a reader
    // whose seconds say more than `d` does passes them.
    Value(Date d, double secondsSince2001) : v_(DateValue{d, secondsSince2001}) {}
    // Deliberately no bool or integer constructors: say Number::fromBool(...) so that a
    // text literal never turns into a boolean by accident.

    Value(const Value&) = default;
    Value(Value&&) noexcept = default;
    Value& operator=(const Value&) = default;
    Value& operator=(Value&&) noexcept = default;
    // Nested containers are torn down with bounded recursion, so no depth of nesting
    // can overflow the stack. Values that hold no container take the plain path.
    ~Value() {
        if (v_.index() == arrayIndex || v_.index() == dictionaryIndex) releaseContainer();
    }

    Type type() const { return v_.index() == sharedTextIndex ? Type::String : static_cast<Type>(v_.index()); }
    bool isNull() const { return type() == Type::Null; }
    // Of a kind JSON has: null, number, text, array or dictionary.
    bool isJsonKind() const { return type() <= Type::Dictionary; }

    const Number* number() const { return std::get_if<Number>(&v_); }
    const std::string* string() const {
        if (const std::string* held = std::get_if<std::string>(&v_)) return held;
        const SharedBox<std::string>* shared = std::get_if<SharedBox<std::string>>(&v_);
        return shared ? shared->get() : nullptr;
    }
    const Array* array() const;
    const Dictionary* dictionary() const;
    const Opaque* opaque() const;
    const Bytes* data() const;
    // The storage of a text or data while copies of this value share it; none for one this
    // value alone holds, and for any other type. A writer that meets it again knows the
    // value without looking at its bytes.
    const void* sharedLeafStorage() const;
    const Date* date() const {
        const DateValue* held = std::get_if<DateValue>(&v_);
        return held ? &held->date : nullptr;
    }
    // The seconds since 2001 a date was read as, where they say more than date() does.
    std::optional<double> dateSecondsSince2001() const {
        const DateValue* held = std::get_if<DateValue>(&v_);
        return held ? held->secondsSince2001 : std::nullopt;
    }

    // Mutable access; the container or text is copied first when it is shared.
    std::string* mutableString();
    Array* mutableArray();
    Dictionary* mutableDictionary();

    // Deep equality, iterative: numbers by value, containers by contents, dates by their
    // moment and the seconds they were read as (the same bits, or none on either side).
    friend bool operator==(const Value& a, const Value& b);

private:
    static constexpr std::size_t arrayIndex = 3;       // positions in v_ below
    static constexpr std::size_t dictionaryIndex = 4;
    static constexpr std::size_t sharedTextIndex = 8;  // a text, past the positions of Type
    void releaseContainer() noexcept;

    // The alternatives up to DateValue stand in the order of Type.
    std::variant<std::monostate, Number, std::string, SharedBox<Array>, SharedBox<Dictionary>,
                 SharedBox<Opaque>, SharedBox<Bytes>, DateValue, SharedBox<std::string>>
        v_;
    static_assert(std::is_same_v<std::variant_alternative_t<arrayIndex, decltype(v_)>, SharedBox<Array>>);
    static_assert(std::is_same_v<std::variant_alternative_t<dictionaryIndex, decltype(v_)>,
                                 SharedBox<Dictionary>>);
    static_assert(std::is_same_v<std::variant_alternative_t<sharedTextIndex, decltype(v_)>,
                                 SharedBox<std::string>>);
};

inline std::size_t Dictionary::size() const { return entries_.size(); }
inline bool Dictionary::empty() const { return entries_.empty(); }

}  // namespace platform
