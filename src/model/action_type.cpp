#include "model/action_type.hpp"

#include <array>

namespace vistrel {

namespace {

constexpr std::array<std::string_view, 11> rawValues = {
    "CALENDAR", "URL", "VCARD", "SHARE", "EMAIL", "DATA", "SMS", "MAP", "PHONE", "TEXT", "UNKNOWN",
};

}  // namespace

std::string_view rawValue(ActionType type) {
    auto position = static_cast<std::size_t>(type);
    return position < rawValues.size() ? rawValues[position] : std::string_view();
}

std::optional<ActionType> actionTypeFromRawValue(std::string_view raw) {
    for (std::size_t i = 0; i < rawValues.size(); ++i)
        if (rawValues[i] == raw) return static_cast<ActionType>(i);
    return std::nullopt;
}

}  // namespace vistrel
