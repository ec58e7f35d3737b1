#include "vistrel/platform/foundation/user_defaults.hpp"

#include <algorithm>
#include <cctype>
#include <mutex>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/directories.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
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

UserDefaults::UserDefaults(std::filesystem::path file, std::optional<DefaultsBounds> ownBounds)
    : file_(std::move(file)) {
    // A run stopped between writing the new file and renaming it left its temporary.
    const std::string name = file_.filename().native();
    removeStaleTemporaries(file_.has_parent_path() ? file_.parent_path() : ".",
                           [&](std::string_view target) { return target == name; });

    const std::size_t maxBytes = std::min(ownBounds ? ownBounds->maxFileBytes : maxPropertyListBytes,
                                          maxPropertyListBytes);
    FileRead read = readFileWithin(file_, maxBytes);
    if (read.error == FileReadError::missing) return;  // no file yet
    if (read.error == FileReadError::notRegularFile || read.error == FileReadError::unreadable) {
        leaveUnread(describe(*read.error));
        return;
    }
    std::string why = concatenate("over ", std::to_string(maxBytes), " bytes");
    if (read.bytes) {
        PropertyListRead list = readPropertyListFully(*read.bytes);
        binary_ = read.bytes->starts_with("bplist");
        read.bytes.reset();  // the bytes go before the values are kept
        Dictionary* values = list.value ? list.value->mutableDictionary() : nullptr;
        if (values && (!ownBounds || values->size() <= ownBounds->maxKeys)) {
            values_ = std::move(*values);
            return;
        }
        if (!values && list.refusal != PropertyListRefusal::pastBounds) {
            writable_ = moveAside("unreadable", "not a property list of a dictionary");
            return;
        }
        why = values ? concatenate("over ", std::to_string(ownBounds->maxKeys), " keys")
                     : std::string("nested deeper or holding more values than the reader takes");
    }
    // Too large. The program's own file stays as it chose to keep it; a file that only its
    // owner writes, past its bounds, is not one it wrote.
    if (ownBounds) writable_ = moveAside("too large", why);
    else leaveUnread(concatenate("too large to read (", why, ")"));
}

void UserDefaults::leaveUnread(std::string_view why) {
    writable_ = false;
    log(concatenate("UserDefaults :: defaults file ", file_.string(), " is ", why,
                    "; left as it is, and not written over"));
}

bool UserDefaults::moveAside(std::string_view kind, std::string_view why) const {
    // Kept, bytes and mode as they were, for whoever wants to look at it, under a name of
    // its own: the copy of an earlier start is never replaced. The defaults start empty
    // and the next change writes a new file.
    std::error_code error;
    const std::optional<std::filesystem::path> aside = setAside(file_, "damaged", error);
    log(concatenate("UserDefaults :: ", kind, " defaults file ", file_.string(),
                    aside ? concatenate(", moved aside to ", aside->string())
                          : concatenate(" could not be moved aside (", error.message(),
                                        "); left as it is, and not written over"),
                    " (", why, ")"));
    return aside.has_value();
}

std::optional<Value> UserDefaults::object(std::string_view key) const {
    std::shared_lock lock(mutex_);
    if (const Value* v = values_.find(key)) return *v;
    return std::nullopt;
}

std::optional<std::string> UserDefaults::string(std::string_view key) const {
    std::shared_lock lock(mutex_);
    const Value* v = values_.find(key);
    if (v && v->string()) return *v->string();
    return std::nullopt;
}

bool UserDefaults::boolValue(std::string_view key) const {
    std::shared_lock lock(mutex_);
    const Value* v = values_.find(key);
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
    std::unique_lock lock(mutex_);
    values_.set(std::string(key), std::move(value));
    return persistLocked();
}

bool UserDefaults::setBool(std::string_view key, bool value) {
    return set(key, Value(Number::fromBool(value)));
}

bool UserDefaults::remove(std::string_view key) {
    std::unique_lock lock(mutex_);
    if (!values_.erase(key)) return true;
    return persistLocked();
}

bool UserDefaults::persistLocked() const {
    if (!writable_) {
        log(concatenate("UserDefaults :: ", file_.string(), " was left unread; the change is kept in memory only"));
        return false;
    }
    // A binary file stays binary: XML keeps dates to the second only.
    auto bytes = binary_ ? writePropertyListBinary(Value(values_)) : writePropertyListXml(Value(values_));
    // The defaults may hold secrets (an API key): readable by the owner only.
    if (bytes && writeFileAtomically(file_, *bytes, 0600)) return true;
    log(concatenate("UserDefaults :: could not write ", file_.string()));
    return false;
}

}  // namespace platform
