// Literals and raw values.
#include "vistrel/core/json/json.hpp"

namespace vistrel {

JSON JSON::arrayLiteral(std::initializer_list<JSON> elements) {
    return JSON(std::vector<JSON>(elements));
}

JSON JSON::dictionaryLiteral(std::initializer_list<std::pair<std::string, JSON>> pairs) {
    std::vector<platform::Dictionary::Entry> entries;
    entries.reserve(pairs.size());
    for (const auto& [key, value] : pairs) entries.emplace_back(key, value.object());
    // The dictionary keeps, of equal keys, the one written last.
    return JSON(platform::Value(platform::Dictionary(std::move(entries))));
}

std::optional<JSON> JSON::fromRawValue(JSON wrapped) {
    if (wrapped.type() == Type::unknown) return std::nullopt;
    return wrapped;
}

}  // namespace vistrel
