#pragma once
// The gallery's tabs. The raw value is the tab's index everywhere: its title, its empty
// text, its page's position and the indicator's place.
#include <optional>

namespace vistrel {

enum class LibraryOption : int { recents = 0, favorites = 1, waitingList = 2 };

inline constexpr int rawValue(LibraryOption option) { return static_cast<int>(option); }

// The tab of an index; none outside the three tabs.
inline constexpr std::optional<LibraryOption> libraryOptionFromRawValue(long long value) {
    if (value < 0 || value > 2) return std::nullopt;
    return static_cast<LibraryOption>(value);
}

}  // namespace vistrel
