#include "vistrel/core/json/json.hpp"

#include <ostream>

namespace vistrel {

JSON::JSON(bool value) : JSON(platform::Value(platform::Number::fromBool(value))) {}

JSON::JSON(const char* text) {
    if (text) setObject(platform::Value(std::string(text)));
}

JSON::JSON(std::string text) : object_(std::move(text)), type_(Type::string) {}

JSON::JSON(std::string_view text) : object_(text), type_(Type::string) {}

JSON::JSON(const std::vector<JSON>& elements) : type_(Type::array) {
    platform::Array raw;
    raw.reserve(elements.size());
    for (const JSON& e : elements) raw.push_back(e.object());
    object_ = platform::Value(std::move(raw));
}

JSON::JSON(const std::map<std::string, JSON>& members) : type_(Type::dictionary) {
    std::vector<platform::Dictionary::Entry> entries;
    entries.reserve(members.size());
    for (const auto& [key, member] : members) entries.emplace_back(key, member.object());
    object_ = platform::Value(platform::Dictionary(std::move(entries)));
}

// Members read along paths come here: the raw value is copied once, straight in place.
JSON::JSON(const platform::Value& raw) : object_(raw) { classify(); }

JSON::JSON(platform::Value&& raw) : object_(std::move(raw)) { classify(); }

JSON JSON::fromData(std::string_view data, ReadingOptions options,
                    std::optional<JSONError>* error) {
    platform::json::ReadError readError;
    std::optional<platform::Value> value =
        platform::json::read(data, options, error ? &readError : nullptr);
    if (!value) {
        if (error) {
            *error = JSONError{std::string(platform::json::ReadErrorDomain),
                               static_cast<int>(readError.code), readError.message};
        }
        return JSON();
    }
    return JSON(std::move(*value));
}

JSON JSON::parseJSON(std::string_view text) { return fromData(text); }

platform::Value JSON::object() const { return object_; }

void JSON::setObject(platform::Value raw) {
    error_.reset();
    object_ = std::move(raw);
    classify();
}

void JSON::classify() {
    switch (object_.type()) {
    case platform::Value::Type::Null: type_ = Type::null; break;
    case platform::Value::Type::Number:
        type_ = object_.number()->isBool() ? Type::bool_ : Type::number;
        break;
    case platform::Value::Type::String: type_ = Type::string; break;
    case platform::Value::Type::Array: type_ = Type::array; break;
    case platform::Value::Type::Dictionary: type_ = Type::dictionary; break;
    case platform::Value::Type::Opaque:
    case platform::Value::Type::Data:
    case platform::Value::Type::Date:
        // The value itself is not kept: object() gives null from now on.
        type_ = Type::unknown;
        error_ = std::make_shared<const JSONError>(unsupportedTypeError());
        object_ = platform::Value();
        break;
    }
}

void JSON::setObject(const JSON& value) { setObject(value.object()); }

JSON JSON::withError(JSONError error) {
    return withError(std::make_shared<const JSONError>(std::move(error)));
}

JSON JSON::withError(std::shared_ptr<const JSONError> error) {
    JSON result;
    result.error_ = std::move(error);
    return result;
}

std::ostream& operator<<(std::ostream& out, const JSON& value) {
    return out << value.description();
}

}  // namespace vistrel
