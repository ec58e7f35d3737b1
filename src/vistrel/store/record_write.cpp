#include "vistrel/store/record_write.hpp"

#include <exception>
#include <string>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/store/core_data_layer.hpp"

namespace vistrel {

namespace {

std::string count(std::size_t number, std::string_view what) {
    return platform::concatenate(std::to_string(number), " ", what);
}

}  // namespace

RecordWrite::~RecordWrite() {
    bool written = false;
    try {
        if (!lock_->error && lock_->coordinator.joinedWork()) written = commitWhatJoined();
        lock_.reset();
        // Told once the write is no longer held, as after any save: what an observer saves or
        // records then is a write of its own.
        if (written) postDidSave(context_);
    } catch (const std::exception& e) {
        platform::log(platform::concatenate("store :: an observer of the store threw as what was saved during a "
                                            "record's save was written: ",
                                            platform::excerptOnOneLine(e.what(), 512, 4)));
    } catch (...) {
        platform::log("store :: an observer of the store threw as what was saved during a record's save was written");
    }
}

bool RecordWrite::commitWhatJoined() {
    const auto pending = context_->pendingChanges();
    const bool changes = context_->hasChanges();
    std::optional<platform::Error> saved, committed;
    {
        platform::store::WriteLock::Committing committing(*lock_);
        // What joined from the context, and with it what was done in the write itself (a
        // batch delete); the latter on its own when the context has nothing to save, or
        // could not save it.
        saved = context_->save();
        committed = lock_->coordinator.commitWriting();
    }
    if (saved)
        platform::log(platform::escapeControlCharacters(platform::concatenate(
            "store :: what was saved during a record's save could not be written (", count(pending.inserted, "new, "),
            count(pending.updated, "changed, "), count(pending.deleted, "deleted"),
            " records); it stays pending: ", saved->description())));
    if (committed)
        platform::log(platform::escapeControlCharacters(platform::concatenate(
            "store :: what was deleted in the store during a record's save could not be committed; it is undone: ",
            committed->description())));
    return changes && !saved;
}

}  // namespace vistrel
