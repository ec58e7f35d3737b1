#pragma once
// One record of an object store, owned by the context that made or fetched it. Its
// attributes are read and written on the object; a change is written by the next
// save of its context. Subclasses registered by class name give typed accessors.
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

class ManagedObject : public std::enable_shared_from_this<ManagedObject> {
public:
    ManagedObject() = default;
    virtual ~ManagedObject() = default;
    ManagedObject(const ManagedObject&) = delete;
    ManagedObject& operator=(const ManagedObject&) = delete;

    const EntityDescription& entity() const { return *entity_; }
    // The row's key in the store; 0 until the object's first successful save.
    std::int64_t storeIdentifier() const { return rowId_; }
    bool isInserted() const { return rowId_ == 0 && !deleted_; }
    bool isDeleted() const { return deleted_; }
    bool hasChanges() const;

    // None for an attribute the entity does not have.
    const AttributeValue& value(std::string_view attribute) const;
    // Ignored (with a log line) for an unknown attribute or a value of the wrong kind.
    void setValue(std::string_view attribute, AttributeValue value);

    std::optional<std::string> stringValue(std::string_view attribute) const;
    std::optional<Date> dateValue(std::string_view attribute) const;
    bool boolValue(std::string_view attribute) const;

private:
    friend class ManagedObjectContext;

    // The model is kept alive by its objects, which may outlive their context.
    std::shared_ptr<const ManagedObjectModel> model_;
    const EntityDescription* entity_ = nullptr;
    std::weak_ptr<ManagedObjectContext> context_;
    std::int64_t rowId_ = 0;
    bool deleted_ = false;
    std::vector<AttributeValue> values_;
    std::vector<bool> changed_;  // empty: nothing changed
};

// Makes the objects of entities whose class has this name.
using ObjectFactory = std::function<std::shared_ptr<ManagedObject>()>;
void registerObjectClass(std::string className, ObjectFactory factory);

}  // namespace platform::store
