#pragma once
// What a fetch asks of the store: the records of one entity whose attribute equals one
// of a few values (or has none, or has one), sorted on one attribute, at most a number of
// them, of chosen attributes only, and of some text or binary attributes only the start.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "vistrel/platform/store/object_model.hpp"

namespace platform::store {

// `attribute` equals any of `anyOf` (a record whose attribute is absent never matches);
// or, made by `isAbsent`, the attribute has no value; or, made by `isPresent`, it has one
// (those two leave `anyOf` empty, and the store reads no value's bytes to answer them).
struct Predicate {
    enum class Test { anyOf, absent, present };

    std::string attribute;
    std::vector<AttributeValue> anyOf;
    Test test = Test::anyOf;

    static Predicate equals(std::string attribute, AttributeValue value) {
        return Predicate{std::move(attribute), {std::move(value)}};
    }
    static Predicate isAbsent(std::string attribute) { return Predicate{std::move(attribute), {}, Test::absent}; }
    static Predicate isPresent(std::string attribute) { return Predicate{std::move(attribute), {}, Test::present}; }
};

struct SortDescriptor {
    std::string attribute;
    bool ascending = true;
};

// An attribute read by its start: at most `maxBytes` bytes of a text, cut where a
// character starts (a character is never cut in two), or of a binary value. The store
// reads no more of the value than that, however long it is.
struct ValuePrefix {
    std::string attribute;
    std::size_t maxBytes = 0;
};

struct FetchRequest {
    std::string entityName;
    std::optional<Predicate> predicate;
    std::optional<SortDescriptor> sort;
    std::size_t fetchLimit = 0;  // 0: no limit
    // The attributes the objects fetched hold read (none: every attribute). Every other one
    // is left in the file, unread, and read from it when it is first asked of its object,
    // so that a long value nobody asks for costs nothing (ManagedObject::value). An
    // attribute read by its start (`prefixes`) is read so, listed or not.
    std::optional<std::vector<std::string>> propertiesToFetch;
    // Attributes of which the objects fetched hold only the start (an object already in
    // memory with unsaved changes keeps what it holds). A save writes only the values
    // changed, so a value read by its start is never written back shortened.
    std::vector<ValuePrefix> prefixes;

    explicit FetchRequest(std::string entity) : entityName(std::move(entity)) {}
};

}  // namespace platform::store
