#pragma once
// The store's write lock held for one record's save (a scan recorded, a photo migrated),
// from the lookup made again to the record's save. What code it calls meanwhile (a host's
// savePicture, a host's lookup) may save the store: such a save joins the write and is
// answered true, so what it saved is in the store once the write ends, whatever became of
// the record: written with the record's own save, or, when the record was found, refused
// or given up, or host code threw, committed on its own under the lock (taken again, as a
// save takes it, should it have been let go) before the lock is let go, with the store's
// did-save told once the lock is let go (an observer that records a scan then makes its own
// write). Should that commit fail, a line says what was not written, which stays
// pending for the next save.
#include <memory>
#include <optional>

#include "vistrel/platform/store/managed_object_context.hpp"
#include "vistrel/platform/store/write_lock.hpp"

namespace vistrel {

class RecordWrite {
public:
    // Takes the lock, for the context, whose coordinator must be set; its `error` tells
    // whether it was taken.
    explicit RecordWrite(std::shared_ptr<platform::store::ManagedObjectContext> context,
                         platform::store::WriteLock::WaitForOthers wait =
                             platform::store::WriteLock::WaitForOthers::asASaveDoes)
        : context_(std::move(context)) {
        lock_.emplace(*context_, wait);
    }
    ~RecordWrite();
    RecordWrite(const RecordWrite&) = delete;
    RecordWrite& operator=(const RecordWrite&) = delete;

    platform::store::WriteLock& lock() { return *lock_; }

private:
    // Commits what joined the write and no save wrote; true when it wrote changes of the
    // context.
    bool commitWhatJoined();

    std::shared_ptr<platform::store::ManagedObjectContext> context_;
    // The main thread's write lasts until the did-save is told, after the lock: a thread's
    // call met while an observer waits for that thread is bounded as inside the write.
    platform::store::MainThreadWrite counted_;
    std::optional<platform::store::WriteLock> lock_;
};

}  // namespace vistrel
