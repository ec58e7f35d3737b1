// Equality and ordering of JSON values.
#include "vistrel/core/json/json.hpp"
#include "vistrel/core/json/json_number.hpp"

namespace vistrel {

namespace {

std::partial_ordering numbers(const platform::Value& a, const platform::Value& b) {
    return json_number::compare(*a.number(), *b.number());
}

}  // namespace

bool operator==(const JSON& a, const JSON& b) {
    if (a.type_ != b.type_) return false;
    switch (a.type_) {
    case Type::number: return numbers(a.object_, b.object_) == std::partial_ordering::equivalent;
    case Type::string:
    case Type::bool_:
    case Type::array:
    case Type::dictionary: return a.object_ == b.object_;
    case Type::null: return true;
    case Type::unknown: return false;
    }
    return false;
}

bool operator<(const JSON& a, const JSON& b) {
    if (a.type_ != b.type_) return false;
    if (a.type_ == Type::number) return numbers(a.object_, b.object_) == std::partial_ordering::less;
    if (a.type_ == Type::string) return *a.object_.string() < *b.object_.string();
    return false;
}

bool operator>(const JSON& a, const JSON& b) { return b < a; }

bool operator<=(const JSON& a, const JSON& b) {
    if (a.type_ != b.type_) return false;
    if (a.type_ == Type::number) {
        auto o = numbers(a.object_, b.object_);
        return o == std::partial_ordering::less || o == std::partial_ordering::equivalent;
    }
    if (a.type_ == Type::string) return *a.object_.string() <= *b.object_.string();
    return a == b;  // booleans, arrays, objects and nulls have no order but equality
}

bool operator>=(const JSON& a, const JSON& b) { return b <= a; }

}  // namespace vistrel
