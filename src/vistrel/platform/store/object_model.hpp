#pragma once
// The data model of an object store: its entities, each with typed attributes, and
// the model's version, which the store file records so that an older file is brought
// up to date when it is opened. A model is read from a JSON text:
//   {"name": "...", "version": 2, "entities": [{"name": "...", "class": "...",
//    "attributes": [{"name": "...", "type": "string|date|boolean|binary",
//                    "optional": true, "indexed": false}]}]}
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace platform::store {

using Date = std::chrono::system_clock::time_point;

enum class AttributeType { string, date, boolean, binary };

// The value of one attribute: none, a text (also the bytes of a binary attribute), a
// date or a flag.
using AttributeValue = std::variant<std::monostate, std::string, Date, bool>;

struct AttributeDescription {
    std::string name;
    AttributeType type = AttributeType::string;
    bool optional = true;
    bool indexed = false;
};

struct EntityDescription {
    std::string name;
    std::string className;  // the registered object class; the entity name when empty
    std::vector<AttributeDescription> attributes;

    // The position of the attribute in `attributes`, or none.
    std::optional<std::size_t> indexOfAttribute(std::string_view attribute) const;
};

class ManagedObjectModel {
public:
    // None, with the reason in `error`, when the text is no model: names must be plain
    // identifiers ([A-Za-z_][A-Za-z0-9_]*), unique within their entity or model.
    static std::optional<ManagedObjectModel> fromJson(std::string_view text, std::string* error = nullptr);
    static std::optional<ManagedObjectModel> load(const std::filesystem::path& file, std::string* error = nullptr);

    const std::string& name() const { return name_; }
    std::int64_t version() const { return version_; }
    const std::vector<EntityDescription>& entities() const { return entities_; }
    const EntityDescription* entity(std::string_view name) const;

private:
    std::string name_;
    std::int64_t version_ = 1;
    std::vector<EntityDescription> entities_;
};

}  // namespace platform::store
