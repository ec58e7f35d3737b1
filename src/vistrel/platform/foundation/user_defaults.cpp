#include "vistrel/platform/foundation/user_defaults.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <mutex>
#include <system_error>
#include <utility>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/directories.hpp"
#include "vistrel/platform/foundation/exit_writes.hpp"
#include "vistrel/platform/foundation/file_identity.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/foundation/link_target.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/foundation/property_list.hpp"
#include "vistrel/platform/foundation/set_aside.hpp"
#include "vistrel/platform/foundation/wait_bound.hpp"

namespace platform {

namespace {
std::mutex gStandardMutex;
std::shared_ptr<UserDefaults>& standardSlot() {
    static auto* slot = new std::shared_ptr<UserDefaults>;
    return *slot;
}
// Set at load by whoever shares the standard defaults with other processes: constant
// initialised, so that it may be set before anything else of this file runs.
std::atomic<UserDefaults::LockFolder> gStandardLockFolder{nullptr};
}  // namespace

std::shared_ptr<UserDefaults> UserDefaults::openStandard(const std::filesystem::path& file) {
    auto defaults = std::make_shared<UserDefaults>(file);
    defaults->turns_ = WritersTurns([]() -> std::optional<std::filesystem::path> {
        const LockFolder place = gStandardLockFolder.load();
        return place ? place() : std::nullopt;
    });
    return defaults;
}

std::shared_ptr<UserDefaults> UserDefaults::standard() {
    std::lock_guard lock(gStandardMutex);
    auto& slot = standardSlot();
    if (!slot) slot = openStandard(applicationDataDirectory() / "preferences.plist");
    return slot;
}

void UserDefaults::resetStandard(std::optional<std::filesystem::path> file) {
    std::lock_guard lock(gStandardMutex);
    standardSlot() = file ? openStandard(*file) : nullptr;
}

void UserDefaults::setStandardLockFolder(LockFolder place) { gStandardLockFolder.store(place); }

namespace {

// Clears the temporaries a stopped write of `file` left beside it: named after its stem
// (temporaryStemOf), or, for a name too long to be kept whole there, after the name itself
// too, as an earlier version named those whose number was short enough.
void removeStaleTemporariesOf(const std::filesystem::path& file) {
    const std::string name = file.filename().native(), stem = temporaryStemOf(name);
    removeStaleTemporaries(file.has_parent_path() ? file.parent_path() : ".",
                           [&](std::string_view target) { return target == name || target == stem; });
}

// The mode a rewrite of `file` gets: the file's own, or for a new file one its owner
// alone reads, since defaults may hold secrets (an API key).
mode_t modeOfRewrite(const std::filesystem::path& file) {
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 ? st.st_mode & 07777 : 0600;
}

}  // namespace

namespace {

// Reads of a file that keep changing under them before it is left as it is.
constexpr int kReadsOfAChangingFile = 4;

// What a read of a defaults file found.
struct DefaultsRead {
    enum class Found { missing, values, leftUnread, damaged } found = Found::missing;
    Value values;  // a dictionary
    PropertyListFormat format = PropertyListFormat::xml;
    std::optional<FileState> state;  // of the file read
    // Why a file was not taken, as the log says it: left unread (leftUnread), or for a
    // damaged one what it is (kind) and why, and what leaving it unread says.
    std::string kind, why, unreadWhy;
};

// Reads the file as the defaults open it (see the constructor).
DefaultsRead readDefaultsFile(const std::filesystem::path& file, const std::optional<DefaultsBounds>& ownBounds) {
    DefaultsRead found;
    const std::size_t maxBytes = std::min(ownBounds ? ownBounds->maxFileBytes : maxPropertyListBytes,
                                          maxPropertyListBytes);
    // What does not begin as a property list is damaged whatever follows: its first bytes
    // are all that is read of it.
    bool begun = false;
    const auto extent = [&](std::string_view bytes) -> ContentExtent {
        if (begun) return {};
        const PropertyListStart start = propertyListStart(bytes);
        if (start == PropertyListStart::undecided) return {};
        if (start == PropertyListStart::binary || start == PropertyListStart::xml) {
            begun = true;
            return {};
        }
        return {std::min(bytes.size(), propertyListStartBytes)};
    };
    // Another process may rewrite the file in place (truncated, then written) while it is
    // read: a read that saw it change is made again, and what only a changing file was
    // found to be is never acted on. A read between two equal looks read one state of the
    // file, provided the first look was settled: a write's times are stamped as it begins,
    // and a file rewritten at its length within one step of the clock that stamps them
    // looks the same before and after.
    FileRead read;
    bool steady = false;
    for (int reads = 0; reads < kReadsOfAChangingFile && !steady; ++reads) {
        begun = false;
        const SettledLook look = settledStateAt(file);
        found.state = look.state;
        fileStep("defaults: reading");
        read = readFileWithin(file, maxBytes, extent);
        steady = look.settled && found.state == stateAt(file);
    }
    const auto leftUnread = [&](std::string why) {
        found.found = DefaultsRead::Found::leftUnread;
        found.why = std::move(why);
        return std::move(found);
    };
    if (!steady) return leftUnread(concatenate("changing while read (", std::to_string(kReadsOfAChangingFile), " reads)"));
    if (read.error == FileReadError::missing) return found;  // no file yet
    if (read.error == FileReadError::notRegularFile || read.error == FileReadError::unreadable)
        return leftUnread(std::string(describe(*read.error)));
    found.found = DefaultsRead::Found::damaged;
    found.why = concatenate("over ", std::to_string(maxBytes), " bytes");
    found.kind = "too large";
    if (read.bytes) {
        PropertyListRead list = readPropertyListFully(*read.bytes);
        if (propertyListStart(*read.bytes) == PropertyListStart::binary) found.format = PropertyListFormat::binary;
        read.bytes.reset();  // the bytes go before the values are kept
        const Dictionary* values = list.value ? list.value->dictionary() : nullptr;
        if (values && (!ownBounds || values->size() <= ownBounds->maxKeys)) {
            found.found = DefaultsRead::Found::values;
            found.values = std::move(*list.value);
            return found;
        }
        if (!values && (list.value || list.refusal == PropertyListRefusal::notAPropertyList)) {
            // Another program's file is its own to mend: one it is writing may look damaged
            // at any instant.
            found.kind = "unreadable";
            found.why = found.unreadWhy = "not a property list of a dictionary";
            return found;
        }
        if (values) {
            found.why = concatenate("over ", std::to_string(ownBounds->maxKeys), " keys");
        } else if (list.refusal == PropertyListRefusal::unrepresentable) {
            found.kind = "unrepresentable";
            found.why = "holding what the defaults cannot keep exactly";
        } else {
            found.why = "nested deeper or holding more values than the reader takes";
        }
    }
    found.unreadWhy = concatenate(found.kind == "too large" ? "too large to read" : "not read", " (", found.why, ")");
    return found;
}

}  // namespace

UserDefaults::UserDefaults(std::filesystem::path file, std::optional<DefaultsBounds> ownBounds,
                           std::optional<std::filesystem::path> lockFolder)
    : file_(std::move(file)), target_(file_), ownBounds_(ownBounds), turns_([lockFolder] { return lockFolder; }) {
    // A run stopped between writing the new file and renaming it left its temporary,
    // beside the file the path names.
    const std::optional<std::filesystem::path> target = linkTarget(file_);
    removeStaleTemporariesOf(file_);
    if (target && *target != file_) removeStaleTemporariesOf(*target);
    if (!target) {
        leaveUnread(concatenate("reached through more than ", std::to_string(maxLinksFollowed), " links"));
        return;
    }
    target_ = *target;

    DefaultsRead read = readDefaultsFile(file_, ownBounds);
    known_ = read.state;
    format_ = read.format;
    switch (read.found) {
    case DefaultsRead::Found::missing: return;
    case DefaultsRead::Found::values: values_ = std::move(read.values); return;
    case DefaultsRead::Found::leftUnread: leaveUnread(read.why); return;
    case DefaultsRead::Found::damaged:
        // The program's own file stays as it chose to keep it; a file that only its owner
        // writes, past its bounds or holding what it never writes, is not one it wrote.
        if (ownBounds) writable_ = moveAside(read.kind, read.why);
        else leaveUnread(read.unreadWhy);
        known_.reset();  // moved aside, or never written
        return;
    }
}

UserDefaults::~UserDefaults() {
    if (leftToExit_) withdrawExitWrite(this);
}

void UserDefaults::leaveUnread(std::string_view why) {
    writable_ = false;
    log(concatenate("UserDefaults :: defaults file ", file_.string(), " is ", why,
                    "; left as it is, and not written over"));
}

bool UserDefaults::moveAside(std::string_view kind, std::string_view why) {
    // Kept, bytes and mode as they were, for whoever wants to look at it, under a name of
    // its own: the copy of an earlier start is never replaced. The defaults start empty
    // and the next change writes a new file where the path is (a link moved aside with
    // the file it named left alone).
    std::error_code error;
    const std::optional<std::filesystem::path> aside = setAside(file_, "damaged", error);
    log(concatenate("UserDefaults :: ", kind, " defaults file ", file_.string(),
                    aside ? concatenate(", moved aside to ", aside->string())
                          : concatenate(" could not be moved aside (", error.message(),
                                        "); left as it is, and not written over"),
                    " (", why, ")"));
    if (aside) target_ = file_;
    return aside.has_value();
}

std::optional<Value> UserDefaults::object(std::string_view key) const {
    std::shared_lock lock(mutex_);
    if (const Value* v = values_.dictionary()->find(key)) return *v;
    return std::nullopt;
}

std::optional<std::string> UserDefaults::string(std::string_view key) const {
    std::shared_lock lock(mutex_);
    const Value* v = values_.dictionary()->find(key);
    if (v && v->string()) return *v->string();
    return std::nullopt;
}

bool UserDefaults::boolValue(std::string_view key) const {
    std::shared_lock lock(mutex_);
    const Value* v = values_.dictionary()->find(key);
    if (!v) return false;
    if (const Number* n = v->number()) return n->asBool();
    if (const std::string* s = v->string()) {
        std::string lower = *s;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return lower == "yes" || lower == "true" || lower == "1";
    }
    return false;
}

bool UserDefaults::set(std::string_view key, Value value) {
    PropertyListFormat format;
    {
        std::shared_lock lock(mutex_);
        format = format_;
    }
    if (const std::optional<PropertyListRefusal> why = propertyListEntryRefusal(format, key, value)) {
        const char* reason = why == PropertyListRefusal::pastBounds ? " would hold too large to read back was refused"
                                                                     : " cannot keep exactly was refused";
        log(concatenate("UserDefaults :: a value the ", format == PropertyListFormat::binary ? "binary" : "XML",
                        " form of ", file_.string(), reason));
        return false;
    }
    std::uint64_t change = 0;
    {
        std::unique_lock lock(mutex_);
        change = ++changes_;
        if (writable_) unwritten_.insert_or_assign(std::string(key), Unwritten{value, change});
        values_.mutableDictionary()->set(std::string(key), std::move(value));
    }
    return persist(change);
}

bool UserDefaults::setBool(std::string_view key, bool value) {
    return set(key, Value(Number::fromBool(value)));
}

bool UserDefaults::remove(std::string_view key) {
    std::uint64_t change = 0;
    {
        std::unique_lock lock(mutex_);
        if (!values_.dictionary()->contains(key)) return true;
        values_.mutableDictionary()->erase(key);
        change = ++changes_;
        if (writable_) unwritten_.insert_or_assign(std::string(key), Unwritten{std::nullopt, change});
    }
    return persist(change);
}

bool UserDefaults::takeOtherWrites() {
    if (knownState_ && stateAt(target_) == known_) return true;
    DefaultsRead read = readDefaultsFile(target_, ownBounds_);
    if (read.found == DefaultsRead::Found::leftUnread || read.found == DefaultsRead::Found::damaged) {
        log(concatenate("UserDefaults :: defaults file ", target_.string(), " changed since it was read, and is now ",
                        read.found == DefaultsRead::Found::leftUnread ? read.why : read.unreadWhy,
                        "; not written over, the changes kept in memory until the next"));
        return false;
    }
    // What the other writer left (nothing, for a file it removed), with the changes not
    // written here yet made onto it.
    Value values = read.found == DefaultsRead::Found::values ? std::move(read.values) : Value(Dictionary());
    std::unique_lock lock(mutex_);
    Dictionary* dictionary = values.mutableDictionary();
    for (const auto& [key, unwritten] : unwritten_) {
        if (unwritten.value) dictionary->set(key, *unwritten.value);
        else dictionary->erase(key);
    }
    values_ = std::move(values);
    if (read.found == DefaultsRead::Found::values) format_ = read.format;
    knownState_ = true;
    known_ = read.state;
    return true;
}

namespace {

// How many times a write is made again onto what other writers put in place meanwhile
// before it fails, its changes kept for the next. Three processes setting 100 keys each
// at once, back to back, make a set at most a dozen times (56 when no writer gives way).
constexpr int kWriteAttempts = 100;

}  // namespace

bool UserDefaults::persist(std::uint64_t change) {
    if (!writable_) {
        log(concatenate("UserDefaults :: ", file_.string(), " was left unread; the change is kept in memory only"));
        return false;
    }
    std::lock_guard writing(writeMutex_);
    // A write since this change was stored carried it.
    if (written_ >= change) return lastWriteSucceeded_;
    return writeLatest();
}

void UserDefaults::writeKept() {
    std::unique_lock writing(writeMutex_, std::try_to_lock);
    if (!writing) return;
    {
        std::shared_lock lock(mutex_);
        if (unwritten_.empty()) return;
    }
    // Written where the file is, never into a folder made again for it.
    std::error_code ec;
    if (!std::filesystem::is_directory(target_.has_parent_path() ? target_.parent_path() : ".", ec)) return;
    writeLatest();
}

bool UserDefaults::writeLatest() {
    const bool written = makeWrites();
    // What could not be written now is written at the next write, or failing that as the
    // process ends.
    if (!written && !std::exchange(leftToExit_, true)) writeAtExit(this, [this] { writeKept(); });
    return written;
}

bool UserDefaults::makeWrites() {
    const WaitBound call(callWaitBound);
    WritersTurns::Write turns = turns_.begin(target_);
    for (int attempt = 0; attempt < kWriteAttempts; ++attempt) {
        if (!takeOtherWrites()) {
            // A write made again carried the latest change's number already.
            if (attempt > 0) lastWriteSucceeded_ = false;
            return false;
        }
        Value latest;
        PropertyListFormat format;
        std::uint64_t carried = 0;
        {
            std::shared_lock lock(mutex_);
            latest = values_;
            format = format_;
            written_ = carried = changes_;
        }
        // Encoded and written outside the lock readers wait on: while this goes on, a
        // change stores into a copy of its own. Outside the writers' turn too.
        const std::optional<std::string> bytes = writePropertyList(format, latest);
        std::optional<PreparedFile> prepared =
            bytes ? PreparedFile::write(target_, *bytes, modeOfRewrite(target_)) : std::nullopt;
        if (!prepared) log(concatenate("UserDefaults :: could not write ", target_.string()));
        const Placed placed = prepared ? putInPlaceInTurn(*prepared, turns) : Placed::failed;
        // The turn spans the look and the exchange only: the other writers never wait while
        // this one reads the file again, encodes, writes or flushes (a disk under load may
        // take seconds over a flush). An ask for the next turn stays until its file is in
        // place. What is left of the write (the file displaced, or this one's temporary)
        // goes once the turn is over.
        turns.letGo();
        prepared.reset();
        if (placed == Placed::fileChanged) continue;
        lastWriteSucceeded_ = placed == Placed::inPlace;
        if (!lastWriteSucceeded_) return false;
        // The new file is whole and in place; flushing its folder only makes the rename
        // outlive a power cut.
        syncFolderOf(target_);
        std::unique_lock lock(mutex_);
        std::erase_if(unwritten_, [&](const auto& entry) { return entry.second.change <= carried; });
        return true;
    }
    log(concatenate("UserDefaults :: could not write ", target_.string(), ": another writer put its own in place "
                    "during each of ", std::to_string(kWriteAttempts), " writes; the changes are kept for the next"));
    lastWriteSucceeded_ = false;
    return false;
}

UserDefaults::Placed UserDefaults::putInPlaceInTurn(PreparedFile& prepared, WritersTurns::Write& turns) {
    for (bool gaveWay = false;; gaveWay = true) {
        if (turns.take() == WritersTurns::Write::Turn::notHad) return Placed::failed;
        // The other writers' turns put their files in place before this look or after the
        // rename; one that takes no turn may still rename its own in as this one waits for
        // the folder, and has it put back.
        if (!knownState_ || stateAt(target_) != known_) {
            knownState_ = false;
            turns.askForTheNext();
            return Placed::fileChanged;
        }
        if (!gaveWay && turns.anotherAsks()) {
            turns.giveWay([&] { return stateAt(target_) != known_; });
            continue;
        }
        switch (prepared.putInPlaceOf(known_)) {
        case PreparedFile::Swap::inPlace: break;
        case PreparedFile::Swap::anotherFile: knownState_ = false; return Placed::fileChanged;
        case PreparedFile::Swap::failed:
            log(concatenate("UserDefaults :: could not write ", target_.string()));
            return Placed::failed;
        }
        turns.placed();
        // The file put in place, unless a writer that takes no turn has put its own there
        // already.
        const std::optional<FileState> state = stateAt(target_);
        knownState_ = state && FileIdentity{state->device, state->inode} == prepared.identity();
        known_ = state;
        return Placed::inPlace;
    }
}

}  // namespace platform
