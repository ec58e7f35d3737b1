#include "vistrel/platform/store/object_model.hpp"

#include <algorithm>
#include <set>

#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/json_reader.hpp"

namespace platform::store {

namespace {

// A data model lists a few entities in a few kilobytes.
constexpr std::size_t kMaxModelFileBytes = 4u << 20;

bool isPlainName(std::string_view name) {
    if (name.empty() || name.size() > 64) return false;
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (!letter(name.front())) return false;
    return std::all_of(name.begin(), name.end(), [&](char c) { return letter(c) || (c >= '0' && c <= '9'); });
}

std::optional<AttributeType> typeNamed(std::string_view name) {
    if (name == "string") return AttributeType::string;
    if (name == "date") return AttributeType::date;
    if (name == "boolean") return AttributeType::boolean;
    if (name == "binary") return AttributeType::binary;
    return std::nullopt;
}

const std::string* stringMember(const Dictionary& dictionary, std::string_view key) {
    const Value* value = dictionary.find(key);
    return value ? value->string() : nullptr;
}

bool boolMember(const Dictionary& dictionary, std::string_view key, bool fallback) {
    const Value* value = dictionary.find(key);
    return value && value->number() ? value->number()->asBool() : fallback;
}

std::string joined(std::string_view a, std::string_view b, std::string_view c) {
    std::string text(a);
    text += b;
    text += c;
    return text;
}

bool fail(std::string* error, std::string reason) {
    if (error) *error = std::move(reason);
    return false;
}

bool readAttribute(const Value& value, EntityDescription& entity, std::string* error) {
    const Dictionary* fields = value.dictionary();
    if (!fields) return fail(error, "an attribute is not an object");
    const std::string* name = stringMember(*fields, "name");
    const std::string* type = stringMember(*fields, "type");
    if (!name || !isPlainName(*name)) return fail(error, "an attribute has no plain name");
    if (!type || !typeNamed(*type)) return fail(error, joined("attribute ", *name, " has an unknown type"));
    if (entity.indexOfAttribute(*name)) return fail(error, joined("attribute ", *name, " is named twice"));
    entity.attributes.push_back({*name, *typeNamed(*type), boolMember(*fields, "optional", true),
                                 boolMember(*fields, "indexed", false)});
    return true;
}

bool readEntity(const Value& value, std::vector<EntityDescription>& entities, std::string* error) {
    const Dictionary* fields = value.dictionary();
    if (!fields) return fail(error, "an entity is not an object");
    const std::string* name = stringMember(*fields, "name");
    if (!name || !isPlainName(*name)) return fail(error, "an entity has no plain name");
    for (const auto& other : entities)
        if (other.name == *name) return fail(error, joined("entity ", *name, " is named twice"));
    EntityDescription entity;
    entity.name = *name;
    const std::string* className = stringMember(*fields, "class");
    entity.className = className ? *className : *name;
    const Value* attributes = fields->find("attributes");
    if (!attributes || !attributes->array() || attributes->array()->empty())
        return fail(error, joined("entity ", *name, " has no attributes"));
    for (const Value& attribute : *attributes->array())
        if (!readAttribute(attribute, entity, error)) return false;
    entities.push_back(std::move(entity));
    return true;
}

}  // namespace

std::optional<std::size_t> EntityDescription::indexOfAttribute(std::string_view attribute) const {
    for (std::size_t i = 0; i < attributes.size(); ++i)
        if (attributes[i].name == attribute) return i;
    return std::nullopt;
}

std::optional<ManagedObjectModel> ManagedObjectModel::fromJson(std::string_view text, std::string* error) {
    auto document = json::read(text, json::ReadingOptions::none);
    const Dictionary* fields = document ? document->dictionary() : nullptr;
    if (!fields) {
        fail(error, "the model is not a JSON object");
        return std::nullopt;
    }
    ManagedObjectModel model;
    if (const std::string* name = stringMember(*fields, "name")) model.name_ = *name;
    const Value* version = fields->find("version");
    if (!version || !version->number() || version->number()->kind() != Number::Kind::Int ||
        version->number()->intValue() < 1) {
        fail(error, "the model has no version of 1 or more");
        return std::nullopt;
    }
    model.version_ = version->number()->intValue();
    const Value* entities = fields->find("entities");
    if (!entities || !entities->array()) {
        fail(error, "the model has no list of entities");
        return std::nullopt;
    }
    for (const Value& entity : *entities->array())
        if (!readEntity(entity, model.entities_, error)) return std::nullopt;
    return model;
}

std::optional<ManagedObjectModel> ManagedObjectModel::load(const std::filesystem::path& file, std::string* error) {
    auto text = readFile(file, kMaxModelFileBytes);
    if (!text) {
        fail(error, "the model file cannot be read");
        return std::nullopt;
    }
    return fromJson(*text, error);
}

const EntityDescription* ManagedObjectModel::entity(std::string_view name) const {
    for (const auto& entity : entities_)
        if (entity.name == name) return &entity;
    return nullptr;
}

}  // namespace platform::store
