#pragma once
// The lookup every style getter follows: a section that may be missing, then a field
// that may be missing; the first missing level gives the fallback.
#include <optional>

namespace vistrel {

template <typename Section, typename T>
T styleValue(const Section* section, std::optional<T> Section::*field, T fallback) {
    return section && section->*field ? *(section->*field) : fallback;
}

}  // namespace vistrel
