#pragma once
// The kit's four preferences, kept in the kit's own defaults (see kit_defaults.hpp). A
// setter waits for another process's turn at writing half a second at most: a value it
// could not write is kept (read back at once), and written by the next set, or failing
// that as the process ends normally.
#include <optional>
#include <string>
#include <string_view>

namespace vistrel {

class VistrelPref {
public:
    static void setApiKey(const std::string& apiKey);
    // Only a text counts; a missing key or a value of another kind gives no value.
    static std::optional<std::string> getApiKey();

    static void setUseBlackAndWhite(bool useBlackAndWhite);
    static bool useBlackAndWhite();

    static void setApplicationInstanceId(const std::string& applicationInstanceId);
    static std::optional<std::string> getApplicationInstanceId();

    static void setHasBeenMigrated(bool hasBeenMigrated);
    static bool hasBeenMigrated();
};

// Whether `key` is one of the four the kit keeps in its defaults above: a file holding
// any other is not the kit's alone.
bool isVistrelPrefKey(std::string_view key);

}  // namespace vistrel
