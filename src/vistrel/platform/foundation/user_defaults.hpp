#pragma once
// User defaults: typed values under text keys, kept in a property-list file that is
// rewritten atomically on every change, in the form it was read in (XML for a new file).
// Either every value of the file comes back exactly as it was written, or the file is
// left where it is. Safe to use from any thread.
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <sys/types.h>

#include "vistrel/platform/foundation/file_state.hpp"
#include "vistrel/platform/foundation/property_list.hpp"
#include "vistrel/platform/foundation/value.hpp"
#include "vistrel/platform/foundation/writers_turns.hpp"

namespace platform {

class PreparedFile;

// The bounds of a defaults file that only its owner writes, which knows how little it
// keeps: past them, or damaged, the file is not one it wrote, and is moved aside rather
// than read.
struct DefaultsBounds {
    std::size_t maxFileBytes = maxPropertyListBytes;
    std::size_t maxKeys = std::numeric_limits<std::size_t>::max();
};

class UserDefaults {
public:

    // The process's defaults, in "preferences.plist" of the application data folder,
    // opened on first use. Their writers take turns by the lock of their file in the folder
    // that the place set with setStandardLockFolder names at each write, if any.
    static std::shared_ptr<UserDefaults> standard();
    // Reopens the process's defaults from a file (or, with none, from the default place).
    static void resetStandard(std::optional<std::filesystem::path> file = std::nullopt);

    // The folder of the lock files (see `lockFolder` below) of the writers of the standard
    // defaults, asked at each of their writes; none, or no place set: they write without
    // taking turns.
    using LockFolder = std::optional<std::filesystem::path> (*)();
    static void setStandardLockFolder(LockFolder place);

    // Opens (or prepares to create) the defaults kept in `file`, reading what is there.
    // - A read that saw the file change (its size, times or identity before and after)
    //   is made again, a few times; a file still changing is left where it is (logged).
    //   The step "defaults: reading" is told to the file step observer before each read.
    // - A file that is not a property list holding a dictionary is damaged. A file that
    //   does not begin as a property list is known damaged from its first bytes, unread
    //   further.
    // - Without `ownBounds` the file is the program's, kept as large as it chose, and
    //   perhaps being written by it at this instant: it is read whatever its size. One
    //   the reader takes nothing of (damaged, past the bounds of readPropertyListFully,
    //   or holding what the object model cannot carry exactly), and what is there but
    //   cannot be read (not a regular file, no permission), are left where they are
    //   (logged).
    // - With `ownBounds` the file is one that only its owner writes: damaged, past those
    //   bounds or the reader's, or holding what the object model cannot carry, it is not
    //   one it wrote, and is moved aside, bytes and all, under a name no later one takes
    //   (setAside, label "damaged"), with a log line ("unreadable", "too large",
    //   "unrepresentable"), and the defaults start empty; what cannot be read is left
    //   where it is.
    // Defaults that left a file where it was start empty and never write over it: their
    // changes are kept in memory only. A file reached through symbolic links is read and
    // written where the last one points (linkTarget), beside it. Temporaries of the file
    // ("<file>.tmp-<digits>", or for a long name "<its stem>.tmp-<digits>", beside the path
    // and beside the file it names) that a stopped run left behind are removed
    // (removeStaleTemporaries).
    // - A read is made only once the file's last change is a step of the clock that
    //   stamps file times old (settledStateAt): a write under way, even one that keeps the
    //   file's length and times, is never read half done. A file changed since waits a
    //   few milliseconds.
    // `lockFolder`, when given, is the folder of the lock file (WritersTurns::lockOf the
    // file written) whose lock writers of the file take in turn, each from its last look at
    // the file to its rename (see `set`): writers of the file in every process that share
    // the folder take turns, and writers of other files never wait for them.
    explicit UserDefaults(std::filesystem::path file, std::optional<DefaultsBounds> ownBounds = std::nullopt,
                          std::optional<std::filesystem::path> lockFolder = std::nullopt);
    // Changes kept unwritten are written at a normal exit of the process only while their
    // defaults live.
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    std::optional<Value> object(std::string_view key) const;
    // The value only when it is a text.
    std::optional<std::string> string(std::string_view key) const;
    // A number (or boolean) that is not zero, or a text "YES"/"true"/"1" (any case);
    // false for anything else and for a missing key.
    bool boolValue(std::string_view key) const;

    // Stores and persists. A key and value the file's form cannot keep exactly
    // (propertyListHoldsEntry) are refused before anything changes: false. False too when
    // the file could not be written, or was left unread where it is: the value is kept
    // in memory all the same. Readers wait only while the value is stored, not while the
    // file is written; writes follow one another, each of the latest values.
    // Another writer of the file (its program, or defaults of the same file in another
    // process) may have written it since these defaults last read or wrote it (its size,
    // times or identity say so): it is then read again, as when opened, and the changes
    // these defaults have not written yet are made onto what it holds, so that none of the
    // other writer's values is lost. One that no longer reads is not written over: false,
    // and those changes wait for the next.
    // The new file is encoded and written whole beside the file, then, in the writers' turn
    // (the lock, when there is one, held only for this), put in place if the file is still
    // the one the changes were made onto; if another writer put its own there meanwhile,
    // the turn is let go and the write made again onto that one, up to 100 times. A writer
    // that takes no turn (the program writing its own file) and renames its file in while
    // the rename waits for the folder gets it back at once (PreparedFile::putInPlaceOf),
    // and the write is made again onto it. Writers back to back take turns evenly (see
    // WritersTurns). A call waits for turns callWaitBound at most in all, less when the
    // thread's WaitBound leaves less (a call of several sets waits as long as one): a turn
    // not had by then (its holder stopped dead) fails the write, logged, as a failed write
    // does, and the changes are kept: the next write carries them, and failing that a
    // normal exit of the process writes them (writeAtExit), within callWaitBound. A lock
    // file that cannot be had at all, or is no lock file of this user's, is logged once,
    // and the file written without turns.
    bool set(std::string_view key, Value value);
    bool setBool(std::string_view key, bool value);
    bool remove(std::string_view key);

    const std::filesystem::path& filePath() const { return file_; }

private:
    // The standard defaults of `file`, their writers taking turns as setStandardWritersLock says.
    static std::shared_ptr<UserDefaults> openStandard(const std::filesystem::path& file);
    // Writes the latest values, unless a write since change number `change` has.
    bool persist(std::uint64_t change);
    // Writes the latest values, writeMutex_ held: the changes not written yet are left to a
    // normal exit when they cannot be.
    bool writeLatest();
    // The attempts of a write, onto what other writers put in place meanwhile.
    bool makeWrites();
    // At exit: writes the changes kept, if any, unless a write on another thread is under
    // way (it carries them), or the file's folder is gone.
    void writeKept();
    // How a write's new file fared at its turn.
    enum class Placed { inPlace, fileChanged, failed };
    // In the writers' turn, puts the new file in place if the file is still as last read or
    // written here.
    Placed putInPlaceInTurn(PreparedFile& prepared, WritersTurns::Write& turns);
    // Makes the changes not written yet onto the file's values if another writer wrote it
    // since it was last read or written here. False when it no longer reads.
    bool takeOtherWrites();
    // Moves a damaged (or, for `kind` "too large", oversized) file aside; false when it stays.
    bool moveAside(std::string_view kind, std::string_view why);
    // Leaves the file where it is, unread, and never to be written over.
    void leaveUnread(std::string_view why);

    std::filesystem::path file_;
    // Where changes are written: the file that file_ names through its links.
    std::filesystem::path target_;
    std::optional<DefaultsBounds> ownBounds_;
    // The turns of the file's writers.
    WritersTurns turns_;
    // False while a file the defaults did not read is at file_.
    bool writable_ = true;

    // Guards values_, changes_, unwritten_ and format_: readers share it, a change holds
    // it while it stores.
    mutable std::shared_mutex mutex_;
    Value values_{Dictionary()};  // a dictionary, copied on write while a write holds it
    std::uint64_t changes_ = 0;
    // The changes not written yet, by key: the value set (none for a key removed) and the
    // number of the change.
    struct Unwritten {
        std::optional<Value> value;
        std::uint64_t change;
    };
    std::map<std::string, Unwritten, std::less<>> unwritten_;
    // The form of the file read, which changes are written in too.
    PropertyListFormat format_ = PropertyListFormat::xml;

    // Orders the writes: the last written is the latest state.
    std::mutex writeMutex_;
    std::uint64_t written_ = 0;  // the change the last write carried
    bool lastWriteSucceeded_ = true;
    // Whether the changes kept are left to the process's exit.
    bool leftToExit_ = false;
    // The file as it was last read or written here (none: there was no file); unknown
    // (knownState_ false) when another writer may have put its own in place meanwhile.
    bool knownState_ = true;
    std::optional<FileState> known_;
};

}  // namespace platform
