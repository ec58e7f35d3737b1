#pragma once
// The kind of a JSON value.
#include <optional>

namespace vistrel {

// `bool_` carries an underscore only because `bool` is a keyword.
enum class Type : int {
    number = 0,
    string = 1,
    bool_ = 2,
    array = 3,
    dictionary = 4,
    null = 5,       // also the value made from bytes or text that are not JSON
    unknown = 6,    // a platform value of no JSON kind
};

constexpr int rawValue(Type type) { return static_cast<int>(type); }

// No kind for an integer outside 0 to 6.
constexpr std::optional<Type> typeFromRawValue(int raw) {
    if (raw < 0 || raw > 6) return std::nullopt;
    return static_cast<Type>(raw);
}

}  // namespace vistrel
