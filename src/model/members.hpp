#pragma once
// The members of one JSON object as the answer readers take them: each read looks its
// key up once, in place, and copies nothing but the text it gives back. A read gives
// exactly what the one-step path read of the key followed by the JSON accessor of the
// same name gives: absent for a missing member, a member of another kind, or a value
// that is not an object.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/json/json.hpp"

namespace vistrel {

class Members {
public:
    // Borrows the value: it must outlive this reader and stay unchanged.
    explicit Members(const JSON& json) : Members(json.borrowedObject()) {}
    explicit Members(const platform::Value& raw) : members_(raw.dictionary()) {}

    // The raw member, or none.
    const platform::Value* find(std::string_view key) const {
        return members_ ? members_->find(key) : nullptr;
    }
    // The member's text, borrowed, when it is a JSON string.
    const std::string* text(std::string_view key) const {
        const platform::Value* member = find(key);
        return member ? member->string() : nullptr;
    }
    // The member's elements when it is a JSON array.
    const platform::Array* array(std::string_view key) const {
        const platform::Value* member = find(key);
        return member ? member->array() : nullptr;
    }
    // The member as a JSON value when it is a JSON object.
    std::optional<JSON> dictionary(std::string_view key) const;

    std::optional<std::string> string(std::string_view key) const {
        const std::string* found = text(key);
        return found ? std::optional<std::string>(*found) : std::nullopt;
    }
    std::optional<bool> bool_(std::string_view key) const;
    // The optional integer reading, held at the machine word's limits
    // (value_reading::machineInteger).
    std::optional<std::intptr_t> machineInteger(std::string_view key) const;

    // Style values: a flag sent as text (true exactly for "true", false for any other
    // text, absent when the member is no string), and a float sent as a text read whole
    // or else as a JSON number.
    std::optional<bool> textFlag(std::string_view key) const;
    std::optional<float> floatFromTextOrNumber(std::string_view key) const;

private:
    // The member as a JSON value when it is a number or a boolean (the only kinds the
    // numeric accessors read), else the null value.
    JSON numeric(std::string_view key) const;

    const platform::Dictionary* members_;
};

}  // namespace vistrel
