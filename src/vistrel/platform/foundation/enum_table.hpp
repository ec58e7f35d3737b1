#pragma once
// Enumerations named by raw values (texts, code points): one table of pairs per
// enumeration, and the two lookups every such table needs.
#include <array>
#include <cstddef>
#include <optional>
#include <utility>

namespace platform {

template <typename Enum, typename Raw, std::size_t N>
using EnumTable = std::array<std::pair<Enum, Raw>, N>;

// The raw value of a case; the raw type's empty value for a case the table lacks.
template <typename Enum, typename Raw, std::size_t N>
constexpr Raw rawValueIn(const EnumTable<Enum, Raw, N>& table, Enum value) {
    for (const auto& [e, raw] : table)
        if (e == value) return raw;
    return Raw{};
}

// The first case, in table order, whose raw value equals `raw`; none for any other.
template <typename Enum, typename Raw, std::size_t N, typename Key>
constexpr std::optional<Enum> caseIn(const EnumTable<Enum, Raw, N>& table, const Key& raw) {
    for (const auto& [e, r] : table)
        if (r == raw) return e;
    return std::nullopt;
}

}  // namespace platform
