#pragma once
// What versions before the per-app data folders left directly in the kit's shared data
// folder, told by the names the kit gave it: the kit's preferences (and "preferences.plist"
// of an even earlier version) with the temporaries of their writes and the damaged files
// set aside, the history store with its journals, the photos with their temporaries, and
// the folders "Events" and "Contacts". Nothing else there is the kit's: what a user put
// beside them, a link of any name (the kit never made one there), and the folders of
// the apps (app_data_folder.hpp), whose names none of these can be.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

enum class EarlierData { preferences, store, photo, events, contacts };

// What an entry of that name was; none for a name the kit never gave.
std::optional<EarlierData> earlierDataNamed(std::string_view name);

// The names of the entries directly in `folder` that an earlier version left, of the
// type the kit made them (regular files; "Events" and "Contacts" folders), the store's
// first (its journals never far from it). When the folder is the host's own
// (`hostsOwnFolder`: a host named like the kit), whose files may have any name, only what
// is the kit's beyond doubt: not "preferences.plist" and what goes with it (the host's
// standard defaults have that name), and of the photos and their temporaries only those
// of a record of the store there (none when it cannot be read).
std::vector<std::string> earlierDataIn(const std::filesystem::path& folder, bool hostsOwnFolder);

// What the names are, for a log line: "preferences, the store, 3 photo files, Events".
std::string describeEarlierData(const std::vector<std::string>& names);

}  // namespace vistrel
