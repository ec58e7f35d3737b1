// Typed accessors: containers, flags, text, numbers as objects, null, address.
#include "vistrel/core/json/json.hpp"
#include "vistrel/core/json/json_number.hpp"
#include "vistrel/core/json/json_url.hpp"

namespace vistrel {

namespace {

bool equalsIgnoringCase(std::string_view text, std::string_view lowerWord) {
    if (text.size() != lowerWord.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerWord[i]) return false;
    }
    return true;
}

}  // namespace

std::optional<std::vector<JSON>> JSON::array() const {
    if (type_ != Type::array) return std::nullopt;
    const platform::Array& raw = *object_.array();
    std::vector<JSON> elements;
    elements.reserve(raw.size());
    for (const platform::Value& e : raw) elements.emplace_back(e);
    return elements;
}

std::vector<JSON> JSON::arrayValue() const {
    auto elements = array();
    return elements ? std::move(*elements) : std::vector<JSON>();
}

std::optional<platform::Array> JSON::arrayObject() const {
    if (type_ != Type::array) return std::nullopt;
    return *object_.array();
}

void JSON::setArrayObject(std::optional<platform::Array> elements) {
    setObject(elements ? platform::Value(std::move(*elements)) : platform::Value());
}

void JSON::setArrayObject(const std::vector<JSON>& elements) { setObject(JSON(elements)); }

std::optional<std::map<std::string, JSON>> JSON::dictionary() const {
    if (type_ != Type::dictionary) return std::nullopt;
    std::map<std::string, JSON> members;
    for (const auto& [key, member] : *object_.dictionary())
        members.emplace_hint(members.end(), key, JSON(member));
    return members;
}

std::map<std::string, JSON> JSON::dictionaryValue() const {
    auto members = dictionary();
    return members ? std::move(*members) : std::map<std::string, JSON>();
}

std::optional<platform::Dictionary> JSON::dictionaryObject() const {
    if (type_ != Type::dictionary) return std::nullopt;
    return *object_.dictionary();
}

void JSON::setDictionaryObject(std::optional<platform::Dictionary> members) {
    setObject(members ? platform::Value(std::move(*members)) : platform::Value());
}

void JSON::setDictionaryObject(const std::map<std::string, JSON>& members) {
    setObject(JSON(members));
}

std::optional<bool> JSON::bool_() const {
    if (type_ != Type::bool_) return std::nullopt;
    return object_.number()->intValue() != 0;
}

bool JSON::boolValue() const {
    switch (type_) {
    case Type::bool_: return object_.number()->intValue() != 0;
    case Type::number: return object_.number()->asBool();
    case Type::string: {
        const std::string& s = *object_.string();
        return equalsIgnoringCase(s, "true") || equalsIgnoringCase(s, "y") ||
               equalsIgnoringCase(s, "t");
    }
    default: return false;
    }
}

void JSON::setBool(std::optional<bool> value) {
    setObject(value ? platform::Value(platform::Number::fromBool(*value)) : platform::Value());
}

void JSON::setBoolValue(bool value) { setBool(value); }

std::optional<std::string> JSON::string() const& {
    if (type_ != Type::string) return std::nullopt;
    return *object_.string();
}

std::optional<std::string> JSON::string() && {
    if (type_ != Type::string) return std::nullopt;
    return std::move(*object_.mutableString());
}

std::string JSON::stringValue() && {
    if (type_ == Type::string) return std::move(*object_.mutableString());
    return static_cast<const JSON&>(*this).stringValue();
}

std::string JSON::stringValue() const& {
    switch (type_) {
    case Type::string: return *object_.string();
    case Type::number: return platform::json::numberText(*object_.number());
    case Type::bool_: return object_.number()->intValue() != 0 ? "true" : "false";
    default: return std::string();
    }
}

void JSON::setString(std::optional<std::string> value) {
    setObject(value ? platform::Value(std::move(*value)) : platform::Value());
}

void JSON::setStringValue(std::string value) { setString(std::move(value)); }

std::optional<platform::Number> JSON::number() const {
    switch (type_) {
    case Type::number: return *object_.number();
    case Type::bool_: return platform::Number::fromInt(object_.number()->intValue() != 0 ? 1 : 0);
    default: return std::nullopt;
    }
}

platform::Number JSON::numberValue() const {
    switch (type_) {
    case Type::number: return *object_.number();
    case Type::string: return json_number::decimalNumber(*object_.string());
    case Type::bool_: return platform::Number::fromInt(object_.number()->intValue() != 0 ? 1 : 0);
    default: return platform::Number::fromDouble(0.0);
    }
}

void JSON::setNumber(std::optional<platform::Number> value) {
    setObject(value ? platform::Value(*value) : platform::Value());
}

void JSON::setNumberValue(platform::Number value) { setNumber(value); }

std::optional<std::nullptr_t> JSON::null() const {
    if (type_ != Type::null) return std::nullopt;
    return nullptr;
}

std::optional<std::string> JSON::url() const {
    if (type_ != Type::string) return std::nullopt;
    return json_url::addressFromText(*object_.string());
}

void JSON::setUrl(std::optional<std::string> absoluteString) { setString(std::move(absoluteString)); }

bool JSON::exists() const {
    if (!error_) return true;
    int code = error_->code;
    return code != ErrorNotExist && code != ErrorIndexOutOfBounds && code != ErrorWrongType;
}

}  // namespace vistrel
