#pragma once
// The store's write lock, from a lookup to the save it leads to: taken as the object is
// made (waiting for another host's write as a save does), and let go with it, nothing
// written, when no save ended it first.
#include <optional>

#include "vistrel/platform/foundation/error.hpp"
#include "vistrel/platform/store/persistent_store_coordinator.hpp"

namespace platform::store {

struct WriteLock {
    explicit WriteLock(PersistentStoreCoordinator& coordinator)
        : coordinator(coordinator), error(coordinator.beginWriting()) {}
    ~WriteLock() {
        if (!error) coordinator.endWriting();
    }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

    PersistentStoreCoordinator& coordinator;
    const std::optional<Error> error;  // set when the lock was not taken
};

}  // namespace platform::store
