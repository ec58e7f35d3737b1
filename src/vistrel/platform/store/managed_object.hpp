#pragma once
// One record of an object store, owned by the context that made or fetched it. Its
// attributes are read and written on the object; a change is written by the next
// save of its context. A value its fetch left in the file is read from there when it is
// first asked for, and then held (a fault, fired). Subclasses registered by class name
// give typed accessors.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vistrel/platform/store/object_model.hpp"

namespace platform::store {

class ManagedObjectContext;
class PersistentStoreCoordinator;

class ManagedObject : public std::enable_shared_from_this<ManagedObject> {
public:
    ManagedObject() = default;
    virtual ~ManagedObject() = default;
    ManagedObject(const ManagedObject&) = delete;
    ManagedObject& operator=(const ManagedObject&) = delete;

    const EntityDescription& entity() const { return *entity_; }
    // The row's key in the store; 0 until the object's first successful save. A key is
    // never given to another row, not even once this one is deleted.
    std::int64_t storeIdentifier() const { return rowId_; }
    bool isInserted() const { return rowId_ == 0 && !deleted_; }
    bool isDeleted() const { return deleted_; }
    bool hasChanges() const;

    // None for an attribute the entity does not have. A value left unread by the fetch
    // that gave the object is read from the store first, on the context's thread (the
    // object keeps its store open for that, as it keeps its model); none, with a log
    // line, when that read fails (the record is gone from the store, say). The value is
    // then held until the context lets go of it (ManagedObjectContext::refreshValue).
    const AttributeValue& value(std::string_view attribute) const;
    // Whether the attribute's value is still only in the store: its fetch left it unread,
    // and it was not asked for since (or the read failed). False for an unknown attribute.
    bool isUnread(std::string_view attribute) const;
    // How many bytes the attribute's text or binary value takes (0 for no value, or one of
    // another kind): of a value held, its own; of one still only in the store, found there
    // without reading it, so that a caller can refuse a value too long to read. None, with a
    // log line, when the store cannot tell (the record is gone from it, say), and for an
    // unknown attribute.
    std::optional<std::size_t> valueBytes(std::string_view attribute) const;
    // Ignored (with a log line) for an unknown attribute or a value of the wrong kind.
    void setValue(std::string_view attribute, AttributeValue value);

    std::optional<std::string> stringValue(std::string_view attribute) const;
    std::optional<Date> dateValue(std::string_view attribute) const;
    bool boolValue(std::string_view attribute) const;

private:
    friend class ManagedObjectContext;

    // The model and the store are kept alive by their objects, which may outlive their
    // context and still read what their fetch left unread.
    std::shared_ptr<const ManagedObjectModel> model_;
    std::shared_ptr<PersistentStoreCoordinator> store_;
    const EntityDescription* entity_ = nullptr;
    std::weak_ptr<ManagedObjectContext> context_;
    std::int64_t rowId_ = 0;
    bool deleted_ = false;
    // Filled as unread values are read.
    mutable std::vector<AttributeValue> values_;
    mutable std::vector<bool> unread_;  // empty: every value read
    std::vector<bool> changed_;  // empty: nothing changed
};

// Makes the objects of entities whose class has this name.
using ObjectFactory = std::function<std::shared_ptr<ManagedObject>()>;
void registerObjectClass(std::string className, ObjectFactory factory);

}  // namespace platform::store
