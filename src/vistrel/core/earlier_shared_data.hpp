#pragma once
// What versions before the per-app data folders left directly in the kit's shared data
// folder, told by the names the kit gave it: the kit's preferences (and "preferences.plist"
// of an even earlier version) with the temporaries of their writes and the damaged files
// set aside, the history store with its journals, the photos, and the folders "Events"
// and "Contacts". Nothing else there is the kit's: what a user put beside them, a link of
// any name (the kit never made one there), the temporaries of photos (a name a user's
// file may have as well, which the store's clean-up would remove as stale once taken)
// but a record's only photo left as one that clean-up puts back, and the folders of the
// apps (app_data_folder.hpp), whose names none of these can be.
//
// Names are not enough where another program may give them too: a host named like the
// kit has its own data folder in the shared one, with its standard defaults
// ("preferences.plist"), its pictures and folders of its own. So, besides the store, only
// what the kit made beyond doubt counts: a preferences file that holds nothing but the
// kit's own keys, a photo of a record of the store, an "Events" or "Contacts" folder that
// holds nothing but the files the calendar or the contacts store write there.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

enum class EarlierData { preferences, store, photo, events, contacts };

// What an entry of that name was; none for a name the kit never gave. A photo's temporary
// that the store's clean-up may put back at its name (photoOfTemporary) is a photo.
std::optional<EarlierData> earlierDataNamed(std::string_view name);

// The photo name a temporary is of, by its name: an earlier version's photo set aside
// ("<photo>.aside-<digits>") or a write's ("<photo>.tmp-<digits>"); none for any other name.
std::optional<std::string_view> photoOfTemporary(std::string_view name);

// The mark of the private folders (platform::PrivateFolder) in which a store is read:
// "<readIn>/.reading-XXXXXX".
inline constexpr std::string_view storeReadingMark = ".reading-";

// The names of the entries directly in `folder` that an earlier version left, of the
// type the kit made them (regular files; "Events" and "Contacts" folders) and holding only
// what it made, the store last (its journals never far from it). Each look is bounded:
// - a preferences file (or a temporary or damaged copy of one) counts when it reads, within
//   the bound of the kit's own defaults, as a property list holding only the kit's keys
//   (isVistrelPrefKey); the two files and 16 of their copies at most are read;
// - a photo ("<id>.jpg", "sha256.<digest>.jpg") counts when a record of the store names
//   it: the store in `folder` or, once a takeover under way moved it, in `movedInto`, each
//   read whole with its journals (those that are regular files), linked (or, where no link
//   can be made but for another file system, copied, unchanged throughout) into a private
//   folder made in `readIn` (on the same file system), so that nothing is made beside it
//   and nothing opened can block; every record of each, an identifier past 64 KiB passed
//   over, its records' table an ordinary one, read within bounds of time and memory. Every
//   photo counts when a store that is a regular file cannot be read whole
//   (platform::store::TextsRead::notWhole), since it goes all the same; a store that is no
//   regular file is neither read nor taken; one that can be neither linked nor copied
//   there (on another file system than `readIn`, where it could not be moved either; a
//   copy that failed or changed) is not known, and stays with its journals and photos
//   (moved already, it names no photo more);
// - a photo's temporary (photoOfTemporary) counts only when it is all that is left of a
//   record's photo and the store's clean-up puts it back at its name: the stores read
//   whole and a record naming the photo, nothing of the photo's name in `folder` nor in
//   `movedInto`, no other temporary of it put back by the clean-up in `folder`, none of it
//   in `movedInto`, and it a regular file left 15 minutes ago or more, set aside by an
//   earlier version (no time in its name) or, written, holding a whole picture; never one
//   staged, nor one set aside with its time, which the clean-up removes;
// - "Events" or "Contacts" counts when all it holds, 1,000,000 entries at most, are regular
//   files the event or contact store names ("<identifier>.ics" or ".vcf", and their
//   temporaries): no link, no folder, nothing else.
std::vector<std::string> earlierDataIn(const std::filesystem::path& folder, const std::filesystem::path& readIn,
                                       const std::filesystem::path& movedInto = {});

// Whether the entry (an earlier version's, wherever it lies now) still is of the kind the
// kit made and holds only what earlierDataIn looks for (photos and the store: by name and
// kind alone; a photo's temporary, as one the clean-up puts back): a second look once it
// is moved, as another program may have written it meanwhile.
bool holdsOnlyTheKitsOwn(const std::filesystem::path& entry, EarlierData kind);

// What the names are, for a log line: "preferences, the store, 3 photo files, Events".
std::string describeEarlierData(const std::vector<std::string>& names);

}  // namespace vistrel
