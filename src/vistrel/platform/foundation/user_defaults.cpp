#include "vistrel/platform/foundation/user_defaults.hpp"

#include <algorithm>
#include <cctype>
#include <mutex>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/directories.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/foundation/property_list.hpp"

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

UserDefaults::UserDefaults(std::filesystem::path file, DefaultsBounds bounds) : file_(std::move(file)) {
    // A run stopped between writing the new file and renaming it left its temporary.
    const std::string name = file_.filename().native();
    removeStaleTemporaries(file_.has_parent_path() ? file_.parent_path() : ".",
                           [&](std::string_view target) { return target == name; });

    FileRead read = readFileWithin(file_, bounds.maxFileBytes);
    if (read.error == FileReadError::missing) return;  // no file yet
    if (read.error == FileReadError::notRegularFile || read.error == FileReadError::unreadable) {
        // Not ours to move: the defaults start empty and the next change replaces it.
        log(concatenate("UserDefaults :: defaults file ", file_.string(), " is ", describe(*read.error)));
        return;
    }
    std::string_view kind = "too large";
    std::string why = concatenate("over ", std::to_string(bounds.maxFileBytes), " bytes");
    if (read.bytes) {
        std::optional<Value> value = readPropertyList(*read.bytes);
        const Dictionary* values = value ? value->dictionary() : nullptr;
        if (values && values->size() <= bounds.maxKeys) {
            values_ = *values;
            return;
        }
        if (values) {
            why = concatenate("over ", std::to_string(bounds.maxKeys), " keys");
        } else {
            kind = "unreadable";
            why = "not a property list of a dictionary";
        }
    }
    // A damaged (or oversized) file is kept, bytes and mode as they were, for whoever
    // wants to look at it; the defaults start empty and the next change writes a new file.
    std::filesystem::path aside = file_;
    aside += ".damaged";
    std::error_code error;
    std::filesystem::rename(file_, aside, error);
    log(concatenate("UserDefaults :: ", kind, " defaults file ", file_.string(),
                    error ? concatenate(" could not be moved aside: ", error.message())
                          : concatenate(", moved aside to ", aside.string()),
                    " (", why, ")"));
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
    auto xml = writePropertyListXml(Value(values_));
    // The defaults may hold secrets (an API key): readable by the owner only.
    if (xml && writeFileAtomically(file_, *xml, 0600)) return true;
    log(concatenate("UserDefaults :: could not write ", file_.string()));
    return false;
}

}  // namespace platform
