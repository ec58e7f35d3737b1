#pragma once
// User defaults: typed values under text keys, kept in a property-list file that is
// rewritten atomically (mode 0600) on every change. Safe to use from any thread.
#include <cstddef>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>

#include "vistrel/platform/foundation/value.hpp"

namespace platform {

// The bounds of a defaults file that is read: past them it is too large and moved aside.
// By default wide enough for any file a program keeps (the standard defaults are the
// program's own), and still a bound, so that a file of gigabytes cannot exhaust memory;
// an owner that knows how little it keeps may narrow them.
struct DefaultsBounds {
    std::size_t maxFileBytes = 16u << 20;
    std::size_t maxKeys = std::numeric_limits<std::size_t>::max();
};

class UserDefaults {
public:

    // The process's defaults, in "preferences.plist" of the application data folder,
    // opened on first use.
    static std::shared_ptr<UserDefaults> standard();
    // Reopens the process's defaults from a file (or, with none, from the default place).
    static void resetStandard(std::optional<std::filesystem::path> file = std::nullopt);

    // Opens (or prepares to create) the defaults kept in `file`. A file that does not
    // read as a property list holding a dictionary, or is past the bounds, is moved
    // aside, bytes and all, to "<file>.damaged" (replacing an older one) with a log line
    // saying which ("unreadable" or "too large"), and the defaults start empty. What is
    // there but not a regular file is left alone (logged; the defaults start empty).
    // Temporaries of the file ("<file>.tmp-<digits>") that a stopped run left behind
    // are removed (removeStaleTemporaries).
    explicit UserDefaults(std::filesystem::path file, DefaultsBounds bounds = {});

    std::optional<Value> object(std::string_view key) const;
    // The value only when it is a text.
    std::optional<std::string> string(std::string_view key) const;
    // A number (or boolean) that is not zero, or a text "YES"/"true"/"1" (any case);
    // false for anything else and for a missing key.
    bool boolValue(std::string_view key) const;

    // Stores and persists. False when the file could not be written (the value is kept
    // in memory all the same).
    bool set(std::string_view key, Value value);
    bool setBool(std::string_view key, bool value);
    bool remove(std::string_view key);

    const std::filesystem::path& filePath() const { return file_; }

private:
    bool persistLocked() const;

    std::filesystem::path file_;
    mutable std::shared_mutex mutex_;
    Dictionary values_;
};

}  // namespace platform
