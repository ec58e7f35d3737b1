#pragma once
// The members of one JSON object as the answer readers take them: each read looks its
// key up once, in place, and copies nothing but the text it gives back. A read gives
// exactly what the one-step path read of the key followed by the JSON accessor of the
// same name gives: absent for a missing member, a member of another kind, or a value
// that is not an object. Members come from a JSON value, or from a text viewed where
// the reader parsed it (nested texts that are read once and not kept).
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "vistrel/core/json/json.hpp"
#include "vistrel/model/value_reading.hpp"
#include "vistrel/platform/foundation/json_reader.hpp"

namespace vistrel {

// The reads every source of members offers, built on its text(key) and number(key).
template <typename Source>
class MemberReads {
public:
    std::optional<std::string> string(std::string_view key) const {
        auto found = source().text(key);
        return found ? std::optional<std::string>(std::in_place, *found) : std::nullopt;
    }
    std::optional<bool> bool_(std::string_view key) const {
        auto found = source().number(key);
        return found ? JSON(*found).bool_() : std::nullopt;
    }
    // The optional integer reading, held at the machine word's limits
    // (value_reading::machineInteger).
    std::optional<std::intptr_t> machineInteger(std::string_view key) const {
        auto found = source().number(key);
        return found ? value_reading::machineInteger(JSON(*found)) : std::nullopt;
    }
    // A flag sent as text: true exactly for "true", false for any other text, absent
    // when the member is no string.
    std::optional<bool> textFlag(std::string_view key) const {
        auto found = source().text(key);
        return found ? std::optional<bool>(*found == "true") : std::nullopt;
    }
    // A float sent as a text read whole, or else as a JSON number.
    std::optional<float> floatFromTextOrNumber(std::string_view key) const {
        if (auto found = source().text(key)) return value_reading::wholeFloat(*found);
        auto found = source().number(key);
        return found ? JSON(*found).float_() : std::nullopt;
    }

private:
    const Source& source() const { return static_cast<const Source&>(*this); }
};

// Members of a JSON value's object, borrowed: the value must outlive the reader and
// stay unchanged.
class Members : public MemberReads<Members> {
public:
    explicit Members(const JSON& json) : Members(json.borrowedObject()) {}
    explicit Members(const platform::Value& raw) : members_(raw.dictionary()) {}

    // The member's text when it is a JSON string.
    std::optional<std::string_view> text(std::string_view key) const {
        const platform::Value* member = find(key);
        return member && member->string() ? std::optional<std::string_view>(*member->string())
                                          : std::nullopt;
    }
    // The member's number when it is a JSON number or boolean.
    std::optional<platform::Number> number(std::string_view key) const {
        const platform::Value* member = find(key);
        return member && member->number() ? std::optional<platform::Number>(*member->number())
                                          : std::nullopt;
    }
    // The member's own members when it is a JSON object.
    std::optional<Members> dictionary(std::string_view key) const {
        const platform::Value* member = find(key);
        return member && member->dictionary() ? std::optional<Members>(Members(*member)) : std::nullopt;
    }
    // The member's elements when it is a JSON array.
    const platform::Array* array(std::string_view key) const {
        const platform::Value* member = find(key);
        return member ? member->array() : nullptr;
    }

private:
    const platform::Value* find(std::string_view key) const {
        return members_ ? members_->find(key) : nullptr;
    }

    const platform::Dictionary* members_;
};

// Members of an object viewed in a parsed text, valid during the view. The members of
// a small object (style sections are) are listed once, so that each read scans a short
// list instead of the parsed object.
class ViewMembers : public MemberReads<ViewMembers> {
public:
    explicit ViewMembers(const platform::json::ValueView& view)
        : view_(view), count_(view.members(listed_.data(), listed_.size())) {}

    std::optional<std::string_view> text(std::string_view key) const {
        auto member = find(key);
        return member ? member->string() : std::nullopt;
    }
    std::optional<platform::Number> number(std::string_view key) const {
        auto member = find(key);
        return member ? member->number() : std::nullopt;
    }
    std::optional<ViewMembers> dictionary(std::string_view key) const {
        auto member = find(key);
        if (!member || member->type() != platform::Value::Type::Dictionary) return std::nullopt;
        return std::optional<ViewMembers>(std::in_place, *member);
    }

private:
    std::optional<platform::json::ValueView> find(std::string_view key) const {
        if (count_ > listed_.size()) return view_.member(key);
        // Of equal keys the last one counts.
        for (std::size_t i = count_; i-- > 0;)
            if (listed_[i].key == key) return listed_[i].value;
        return std::nullopt;
    }

    platform::json::ValueView view_;
    std::array<platform::json::ViewMember, 16> listed_;
    std::size_t count_;
};

}  // namespace vistrel
