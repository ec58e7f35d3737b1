// Walking a value as a collection of (index-or-key, member) pairs.
#include "vistrel/core/json/json.hpp"

namespace vistrel {

namespace {

std::size_t countOf(const platform::Value& v) {
    if (const platform::Array* a = v.array()) return a->size();
    if (const platform::Dictionary* d = v.dictionary()) return d->size();
    return 0;
}

}  // namespace

JSON::Index JSON::startIndex() const {
    switch (type_) {
    case Type::array: return Index::array(0);
    case Type::dictionary: return Index::dictionary(0);
    default: return Index::null();
    }
}

JSON::Index JSON::endIndex() const {
    switch (type_) {
    case Type::array: return Index::array(countOf(object_));
    case Type::dictionary: return Index::dictionary(countOf(object_));
    default: return Index::null();
    }
}

// Never steps past the end, so a walk that starts anywhere ends.
JSON::Index JSON::index(const Index& after) const {
    Index end = endIndex();
    if (after.kind() != end.kind() || after.kind() == Index::Case::null) return end;
    if (after.position() >= end.position()) return end;
    return after.kind() == Index::Case::array ? Index::array(after.position() + 1)
                                              : Index::dictionary(after.position() + 1);
}

JSON::Element JSON::operator[](const Index& position) const {
    std::size_t p = position.position();
    if (position.kind() == Index::Case::array && type_ == Type::array &&
        p < object_.array()->size())
        return {std::to_string(p), JSON((*object_.array())[p])};
    if (position.kind() == Index::Case::dictionary && type_ == Type::dictionary &&
        p < object_.dictionary()->size()) {
        const auto& entry = object_.dictionary()->entries()[p];
        return {entry.first, JSON(entry.second)};
    }
    return {std::string(), JSON()};
}

}  // namespace vistrel
