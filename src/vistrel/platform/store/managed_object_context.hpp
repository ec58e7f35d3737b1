#pragma once
// The one context of a store, bound to the main queue: it makes, fetches, changes,
// deletes and saves objects. It keeps one object per stored row (fetching a row twice
// gives the same object), the pending inserts and deletes, and the changed objects
// until a save writes them all in one transaction. A failed save keeps every change
// pending. A change to a row another host deleted is let go alone (its values read as the
// store has them: none), logged, and the rest saved without it; a save of such changes
// only fails. A delete of such a row is done.
// Row keys are never given twice, so an object never reads or writes another's row.
// Fetches see pending changes: new objects that match, not deleted ones. A
// fetch of chosen attributes leaves the others in the file until they are asked for;
// fetching a row again refreshes the values that fetch reads of an object without
// changes, and leaves the others as the object holds them (read or not).
// Used on the main thread only (checked in debug builds).
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>
#include <vector>

#include "vistrel/platform/foundation/error.hpp"
#include "vistrel/platform/store/fetch_request.hpp"
#include "vistrel/platform/store/managed_object.hpp"
#include "vistrel/platform/store/persistent_store_coordinator.hpp"

namespace platform::store {

using FetchResult = std::vector<std::shared_ptr<ManagedObject>>;
using FetchCompletion = std::function<void(std::optional<FetchResult> result, std::optional<Error> error)>;

class ManagedObjectContext : public std::enable_shared_from_this<ManagedObjectContext> {
public:
    static std::shared_ptr<ManagedObjectContext> make(std::shared_ptr<PersistentStoreCoordinator> coordinator);

    const std::shared_ptr<PersistentStoreCoordinator>& persistentStoreCoordinator() const { return coordinator_; }
    const EntityDescription* entityForName(std::string_view name) const;

    // A new object of the entity, inserted into this context (written by the next save).
    std::shared_ptr<ManagedObject> insertNewObject(const EntityDescription& entity);
    // Marks the object for deletion by the next save; a new object is simply dropped.
    void deleteObject(const std::shared_ptr<ManagedObject>& object);

    bool hasChanges() const;
    // How many objects the next save inserts, updates and deletes.
    struct PendingChanges {
        std::size_t inserted = 0, updated = 0, deleted = 0;
    };
    PendingChanges pendingChanges() const;
    // Writes every pending change in one transaction; the error, when it fails. Inside a
    // write lock held for this context (write_lock.hpp) it joins that write: nothing is
    // written, the changes stay pending for the holder's own save, and no error is given.
    // Inside one held for another context of the store it fails, nothing written.
    std::optional<Error> save();

    std::optional<FetchResult> execute(const FetchRequest& request, Error* error = nullptr);
    // Deletes the entity's rows in the store, not through the context's objects. Inside a
    // write lock held for this context, it is part of that write, committed with it.
    std::optional<Error> executeBatchDelete(const FetchRequest& request);
    // Runs the fetch later and delivers its result on the main queue.
    void executeAsync(FetchRequest request, FetchCompletion completion);

    // Runs the block later on the context's queue (the main queue).
    void perform(std::function<void()> block);

    // Lets go of the value of the attribute the object holds, unless it is changed: it is
    // read from the store again when it is next asked for. A new or deleted object, or an
    // unknown attribute, is left as it is.
    void refreshValue(const std::shared_ptr<ManagedObject>& object, std::string_view attribute);

    // Called by an object whose attribute changed.
    void objectDidChange(ManagedObject& object);

private:
    explicit ManagedObjectContext(std::shared_ptr<PersistentStoreCoordinator> coordinator)
        : coordinator_(std::move(coordinator)) {}

    using Registered = std::unordered_map<std::int64_t, std::weak_ptr<ManagedObject>>;
    std::shared_ptr<ManagedObject> objectForRow(const EntityDescription& entity, const ObjectFactory& factory,
                                                Registered& rows, StoreRow row);
    std::shared_ptr<ManagedObject> makeObject(const EntityDescription& entity, const ObjectFactory& factory);
    // Lets go of the value the object holds at the attribute's position: it is read from
    // the store when it is next asked for.
    static void leaveInStore(ManagedObject& object, std::size_t attribute);

    std::shared_ptr<PersistentStoreCoordinator> coordinator_;
    std::unordered_map<const EntityDescription*, Registered> registered_;
    std::vector<std::shared_ptr<ManagedObject>> inserted_;
    std::vector<std::shared_ptr<ManagedObject>> updated_;
    std::vector<std::shared_ptr<ManagedObject>> deleted_;
};

}  // namespace platform::store
