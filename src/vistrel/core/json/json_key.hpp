#pragma once
// One step of a path into a JSON value: a position in an array or a member name.
#include <concepts>
#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

namespace vistrel {

template <typename T>
concept JSONIndexInteger =
    std::integral<T> && !std::same_as<T, bool> && !std::same_as<T, char> &&
    !std::same_as<T, char8_t> && !std::same_as<T, char16_t> && !std::same_as<T, char32_t> &&
    !std::same_as<T, wchar_t>;

class JSONKey {
public:
    enum class Case { index, key };

    static JSONKey index(std::ptrdiff_t i) { return JSONKey(i); }
    static JSONKey key(std::string k) { return JSONKey(std::move(k)); }

    // Integers and texts convert implicitly, so paths read {"Actions", 0, "Name"}.
    // Indexes beyond the signed range wrap negative and so never address an element.
    template <JSONIndexInteger T>
    JSONKey(T i) : case_(Case::index), index_(static_cast<std::ptrdiff_t>(i)) {}
    JSONKey(const char* k) : case_(Case::key), key_(k) {}
    JSONKey(std::string k) : case_(Case::key), key_(std::move(k)) {}
    JSONKey(std::string_view k) : case_(Case::key), key_(k) {}
    JSONKey(std::nullptr_t) = delete;

    Case kind() const { return case_; }
    std::ptrdiff_t indexValue() const { return index_; }  // meaningful for Case::index
    const std::string& keyValue() const { return key_; }  // meaningful for Case::key

    friend bool operator==(const JSONKey&, const JSONKey&) = default;

private:
    Case case_;
    std::ptrdiff_t index_ = 0;
    std::string key_;
};

// What can be a path step: integers and texts.
template <typename T>
concept JSONSubscriptType = std::constructible_from<JSONKey, T> &&
                            !std::same_as<std::remove_cvref_t<T>, std::nullptr_t>;

template <JSONSubscriptType T>
JSONKey jsonKey(T&& step) {
    return JSONKey(std::forward<T>(step));
}

}  // namespace vistrel
