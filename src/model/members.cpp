#include "model/members.hpp"

#include "model/value_reading.hpp"

namespace vistrel {

JSON Members::numeric(std::string_view key) const {
    const platform::Value* member = find(key);
    return member && member->number() ? JSON(*member) : JSON();
}

std::optional<JSON> Members::dictionary(std::string_view key) const {
    const platform::Value* member = find(key);
    if (!member || !member->dictionary()) return std::nullopt;
    return JSON(*member);
}

std::optional<bool> Members::bool_(std::string_view key) const { return numeric(key).bool_(); }

std::optional<std::intptr_t> Members::machineInteger(std::string_view key) const {
    return value_reading::machineInteger(numeric(key));
}

std::optional<bool> Members::textFlag(std::string_view key) const {
    const std::string* found = text(key);
    if (!found) return std::nullopt;
    return *found == "true";
}

std::optional<float> Members::floatFromTextOrNumber(std::string_view key) const {
    const platform::Value* member = find(key);
    if (!member) return std::nullopt;
    if (const std::string* found = member->string()) return value_reading::wholeFloat(*found);
    return member->number() ? JSON(*member).float_() : std::nullopt;
}

}  // namespace vistrel
