#pragma once
// The store's write lock, from a lookup to the save it leads to, held for one context (its
// holder): taken as the object is made (waiting for another host's write as a save does,
// or not at all), and let go with it, nothing written, when no save or commit ended it
// first. A save under it that fails leaves it held, so that what was decided under it can
// be undone before another host looks.
//
// What the holder calls meanwhile (a host's code among it) may save the holder's context:
// such a save joins the write, neither committing it nor letting the lock go; its changes
// stay pending and are written by the holder's own save (made inside `Committing`), with
// the holder's, in one transaction, or by a commit of their own (the coordinator's
// joinedWork tells there is one to make). A save of another context fails meanwhile. A
// lock made while this store already holds the write (by code the holder called) takes
// nothing and lets nothing go: its saves join the outer write too. While it is held on
// the main thread, store calls that reach the main thread wait for it to end
// (main_thread_write.hpp).
#include <optional>

#include "vistrel/platform/foundation/error.hpp"
#include "vistrel/platform/store/main_thread_write.hpp"
#include "vistrel/platform/store/managed_object_context.hpp"
#include "vistrel/platform/store/persistent_store_coordinator.hpp"

namespace platform::store {

struct WriteLock {
    using WaitForOthers = PersistentStoreCoordinator::WaitForOthers;

    // For the context, whose coordinator must be set.
    explicit WriteLock(ManagedObjectContext& holder, WaitForOthers wait = WaitForOthers::asASaveDoes)
        : coordinator(*holder.persistentStoreCoordinator()),
          withinAnother_(coordinator.isWriting()),
          error(withinAnother_ ? std::nullopt : coordinator.beginWriting(wait)) {
        if (error) return;
        if (!withinAnother_) coordinator.holdFor(&holder);
        coordinator.openJoining();
        onTheMainThread_.emplace();
    }
    ~WriteLock() {
        if (error) return;
        coordinator.closeJoining();
        if (withinAnother_) return;
        coordinator.endWriting();
        coordinator.holdFor(nullptr);
    }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

    // Whether it is held now: taken, and not yet let go by a save that committed under it
    // (or by the file's own failure, which SQLite answers by taking the write back).
    bool held() const { return !error && coordinator.isWriting(); }
    // Takes it again once a save let it go (waiting as when it was made); true when held.
    // One made within another's write never takes it anew: that write is the other's.
    bool takeAgain() { return held() || (!error && !withinAnother_ && !coordinator.beginWriting()); }

    // While one lives, a save of the holder's context is the holder's own: it writes what
    // is pending (what joined saves left among it) and commits. Within another's write it
    // still joins.
    class Committing {
    public:
        explicit Committing(WriteLock& lock) : lock_(lock), closed_(!lock.error && !lock.withinAnother_) {
            if (closed_) lock_.coordinator.closeJoining();
        }
        ~Committing() {
            if (closed_) lock_.coordinator.openJoining();
        }
        Committing(const Committing&) = delete;
        Committing& operator=(const Committing&) = delete;

    private:
        WriteLock& lock_;
        const bool closed_;
    };

    PersistentStoreCoordinator& coordinator;

private:
    const bool withinAnother_;  // made while this store held the write already
    std::optional<MainThreadWrite> onTheMainThread_;

public:
    const std::optional<Error> error;  // set when the lock was not taken
};

}  // namespace platform::store
