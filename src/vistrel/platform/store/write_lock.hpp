#pragma once
// The store's write lock, from a lookup to the save it leads to: taken as the object is
// made (waiting for another host's write as a save does), and let go with it, nothing
// written, when no save ended it first. A save under it that fails leaves it held, so
// that what was decided under it can be undone before another host looks.
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

    // Whether it is held now: taken, and not yet let go by a save that committed under it
    // (or by the file's own failure, which SQLite answers by taking the write back).
    bool held() const { return !error && coordinator.isWriting(); }
    // Takes it again once a save let it go (waiting as when it was made); true when held.
    bool takeAgain() { return held() || (!error && !coordinator.beginWriting()); }

    PersistentStoreCoordinator& coordinator;
    const std::optional<Error> error;  // set when the lock was not taken
};

}  // namespace platform::store
