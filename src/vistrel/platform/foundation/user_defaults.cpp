#include "vistrel/platform/foundation/user_defaults.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <mutex>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/directories.hpp"
#include "vistrel/platform/foundation/file_identity.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/foundation/link_target.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/foundation/property_list.hpp"
#include "vistrel/platform/foundation/set_aside.hpp"

namespace platform {

namespace {
std::mutex gStandardMutex;
std::shared_ptr<UserDefaults>& standardSlot() {
    static auto* slot = new std::shared_ptr<UserDefaults>;
    return *slot;
}
}  // namespace

std::shared_ptr<UserDefaults> UserDefaults::standard() {
    std::lock_guard lock(gStandardMutex);
    auto& slot = standardSlot();
    if (!slot) slot = std::make_shared<UserDefaults>(applicationDataDirectory() / "preferences.plist");
    return slot;
}

void UserDefaults::resetStandard(std::optional<std::filesystem::path> file) {
    std::lock_guard lock(gStandardMutex);
    standardSlot() = file ? std::make_shared<UserDefaults>(*file) : nullptr;
}

namespace {

// Clears the temporaries a stopped write of `file` left beside it.
void removeStaleTemporariesOf(const std::filesystem::path& file) {
    const std::string name = file.filename().native();
    removeStaleTemporaries(file.has_parent_path() ? file.parent_path() : ".",
                           [&](std::string_view target) { return target == name; });
}

// The mode a rewrite of `file` gets: the file's own, or for a new file one its owner
// alone reads, since defaults may hold secrets (an API key).
mode_t modeOfRewrite(const std::filesystem::path& file) {
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 ? st.st_mode & 07777 : 0600;
}

}  // namespace

bool operator==(const UserDefaults::FileState& a, const UserDefaults::FileState& b) {
    const auto same = [](const timespec& x, const timespec& y) { return x.tv_sec == y.tv_sec && x.tv_nsec == y.tv_nsec; };
    return a.device == b.device && a.inode == b.inode && a.size == b.size && same(a.modified, b.modified) &&
           same(a.changed, b.changed);
}

namespace {

using FileState = UserDefaults::FileState;

// A read between two equal looks read one state of the file, not a file being rewritten
// in place or replaced meanwhile.
std::optional<FileState> stateOf(const std::filesystem::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return std::nullopt;
    return FileState{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

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
    // found to be is never acted on.
    FileRead read;
    bool steady = false;
    for (int reads = 0; reads < kReadsOfAChangingFile && !steady; ++reads) {
        begun = false;
        found.state = stateOf(file);
        fileStep("defaults: reading");
        read = readFileWithin(file, maxBytes, extent);
        steady = found.state == stateOf(file);
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

UserDefaults::UserDefaults(std::filesystem::path file, std::optional<DefaultsBounds> ownBounds)
    : file_(std::move(file)), target_(file_), ownBounds_(ownBounds) {
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
        log(concatenate("UserDefaults :: a value the ", format == PropertyListFormat::binary ? "binary" : "XML",
                        " form of ", file_.string(), why == PropertyListRefusal::pastBounds ? " would hold too large to read back was refused" : " cannot keep exactly was refused"));
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

// A write of the other writer's between this look and the rename that follows it is
// still replaced: a rename cannot be made to wait for its target to be the file looked at.
bool UserDefaults::takeOtherWrites() {
    if (knownState_ && stateOf(target_) == known_) return true;
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

bool UserDefaults::persist(std::uint64_t change) {
    if (!writable_) {
        log(concatenate("UserDefaults :: ", file_.string(), " was left unread; the change is kept in memory only"));
        return false;
    }
    std::lock_guard writing(writeMutex_);
    // A write since this change was stored carried it.
    if (written_ >= change) return lastWriteSucceeded_;
    if (!takeOtherWrites()) return false;
    Value latest;
    PropertyListFormat format;
    std::uint64_t carried = 0;
    {
        std::shared_lock lock(mutex_);
        latest = values_;
        format = format_;
        written_ = carried = changes_;
    }
    // Encoded and written outside the lock readers wait on: while this goes on, a change
    // stores into a copy of its own.
    const std::optional<std::string> bytes = writePropertyList(format, latest);
    FileIdentity written;
    lastWriteSucceeded_ = bytes && writeFileAtomically(target_, *bytes, modeOfRewrite(target_), &written);
    if (!lastWriteSucceeded_) {
        log(concatenate("UserDefaults :: could not write ", target_.string()));
        return false;
    }
    // The file put in place, unless another writer has put its own there already.
    const std::optional<FileState> state = stateOf(target_);
    knownState_ = state && FileIdentity{state->device, state->inode} == written;
    known_ = state;
    std::unique_lock lock(mutex_);
    std::erase_if(unwritten_, [&](const auto& entry) { return entry.second.change <= carried; });
    return true;
}

}  // namespace platform
