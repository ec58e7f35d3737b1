// Merging one value into another: objects deeply, arrays by concatenation.
#include "vistrel/core/json/json.hpp"

namespace vistrel {

namespace {

using platform::Value;

void append(Value& target, const Value& source) {
    platform::Array* elements = target.mutableArray();
    const platform::Array& more = *source.array();
    elements->insert(elements->end(), more.begin(), more.end());
}

// Below the top, a difference of kind is settled by taking the source's member; a
// member of no JSON kind goes in as null, as a value of no JSON kind reads back as null.
// Iterative: nested objects are merged from a work list, never by recursion.
void mergeObjects(Value& target, const Value& source) {
    std::vector<std::pair<Value*, const Value*>> work{{&target, &source}};
    while (!work.empty()) {
        auto [into, from] = work.back();
        work.pop_back();
        platform::Dictionary* members = into->mutableDictionary();
        std::vector<std::pair<const std::string*, const Value*>> deeper;
        for (const auto& [key, member] : *from->dictionary()) {
            Value* existing = members->find(key);
            if (existing && existing->dictionary() && member.dictionary())
                deeper.emplace_back(&key, &member);
            else if (existing && existing->array() && member.array())
                append(*existing, member);
            else
                members->set(key, member.isJsonKind() ? member : Value());
        }
        // No member is inserted from here on, so these addresses stay put.
        for (auto [key, member] : deeper) work.emplace_back(members->find(*key), member);
    }
}

}  // namespace

bool JSON::merge(const JSON& other, std::optional<JSONError>* error) {
    // A copy shares the containers; it keeps `other` stable when it is this value.
    const JSON source = other;
    if (type_ != source.type_) {
        if (error) *error = mergeTypeMismatchError();
        return false;
    }
    switch (type_) {
    case Type::dictionary: mergeObjects(object_, source.object_); break;
    case Type::array: append(object_, source.object_); break;
    default: *this = source; break;
    }
    return true;
}

std::optional<JSON> JSON::merged(const JSON& other, std::optional<JSONError>* error) const {
    JSON copy = *this;
    if (!copy.merge(other, error)) return std::nullopt;
    return copy;
}

}  // namespace vistrel
