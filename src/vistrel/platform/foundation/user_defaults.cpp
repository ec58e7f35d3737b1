#include "vistrel/platform/foundation/user_defaults.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <mutex>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/directories.hpp"
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

// What a look at a file tells of its bytes: which file it is, its size, and when it last
// changed. A read between two equal looks read one state of the file, not a file being
// rewritten in place or replaced meanwhile.
struct FileState {
    dev_t device;
    ino_t inode;
    off_t size;
    timespec modified, changed;
    friend bool operator==(const FileState& a, const FileState& b) {
        const auto same = [](const timespec& x, const timespec& y) { return x.tv_sec == y.tv_sec && x.tv_nsec == y.tv_nsec; };
        return a.device == b.device && a.inode == b.inode && a.size == b.size && same(a.modified, b.modified) &&
               same(a.changed, b.changed);
    }
};

std::optional<FileState> stateOf(const std::filesystem::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return std::nullopt;
    return FileState{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

// Reads of a file that keep changing under them before it is left as it is.
constexpr int kReadsOfAChangingFile = 4;

}  // namespace

UserDefaults::UserDefaults(std::filesystem::path file, std::optional<DefaultsBounds> ownBounds)
    : file_(std::move(file)), target_(file_) {
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
        const std::optional<FileState> before = stateOf(file_);
        fileStep("defaults: reading");
        read = readFileWithin(file_, maxBytes, extent);
        steady = before == stateOf(file_);
    }
    if (!steady) {
        leaveUnread(concatenate("changing while read (", std::to_string(kReadsOfAChangingFile), " reads)"));
        return;
    }
    if (read.error == FileReadError::missing) return;  // no file yet
    if (read.error == FileReadError::notRegularFile || read.error == FileReadError::unreadable) {
        leaveUnread(describe(*read.error));
        return;
    }
    std::string why = concatenate("over ", std::to_string(maxBytes), " bytes");
    std::string_view kind = "too large";
    if (read.bytes) {
        PropertyListRead list = readPropertyListFully(*read.bytes);
        if (propertyListStart(*read.bytes) == PropertyListStart::binary) format_ = PropertyListFormat::binary;
        read.bytes.reset();  // the bytes go before the values are kept
        const Dictionary* values = list.value ? list.value->dictionary() : nullptr;
        if (values && (!ownBounds || values->size() <= ownBounds->maxKeys)) {
            values_ = std::move(*list.value);
            return;
        }
        if (!values && (list.value || list.refusal == PropertyListRefusal::notAPropertyList)) {
            // Another program's file is its own to mend: one it is writing may look damaged
            // at any instant.
            if (ownBounds) writable_ = moveAside("unreadable", "not a property list of a dictionary");
            else leaveUnread("not a property list of a dictionary");
            return;
        }
        if (values) {
            why = concatenate("over ", std::to_string(ownBounds->maxKeys), " keys");
        } else if (list.refusal == PropertyListRefusal::unrepresentable) {
            kind = "unrepresentable";
            why = "holding what the defaults cannot keep exactly";
        } else {
            why = "nested deeper or holding more values than the reader takes";
        }
    }
    // The program's own file stays as it chose to keep it; a file that only its owner
    // writes, past its bounds or holding what it never writes, is not one it wrote.
    if (ownBounds) writable_ = moveAside(kind, why);
    else leaveUnread(concatenate(kind == "too large" ? "too large to read" : "not read", " (", why, ")"));
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
    if (!propertyListHoldsEntry(format_, key, value)) {
        log(concatenate("UserDefaults :: a value the ", format_ == PropertyListFormat::binary ? "binary" : "XML",
                        " form of ", file_.string(), " cannot keep exactly was refused"));
        return false;
    }
    std::uint64_t change = 0;
    {
        std::unique_lock lock(mutex_);
        values_.mutableDictionary()->set(std::string(key), std::move(value));
        change = ++changes_;
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
    }
    return persist(change);
}

bool UserDefaults::persist(std::uint64_t change) {
    if (!writable_) {
        log(concatenate("UserDefaults :: ", file_.string(), " was left unread; the change is kept in memory only"));
        return false;
    }
    std::lock_guard writing(writeMutex_);
    // A write since this change was stored carried it.
    if (written_ >= change) return lastWriteSucceeded_;
    Value latest;
    {
        std::shared_lock lock(mutex_);
        latest = values_;
        written_ = changes_;
    }
    // Encoded and written outside the lock readers wait on: while this goes on, a change
    // stores into a copy of its own.
    const std::optional<std::string> bytes = writePropertyList(format_, latest);
    lastWriteSucceeded_ = bytes && writeFileAtomically(target_, *bytes, modeOfRewrite(target_));
    if (!lastWriteSucceeded_) log(concatenate("UserDefaults :: could not write ", target_.string()));
    return lastWriteSucceeded_;
}

}  // namespace platform
