#pragma once
// Each app's own data folder under the kit's shared one, and the takeover, once, of what
// earlier versions left in the shared folder itself (earlier_shared_data.hpp):
//
//   <shared>/apps/<program>                an app's own folder, by its program's name as
//                                          a folder name (platform::folderNameFor: never
//                                          empty, ".", "..", nor starting with a dot)
//   <shared>/apps/.taking-over-<program>   that app's folder while it is made of what
//                                          earlier versions left
//   <shared>/apps/.takeover.lock           the lock each start's decision and moves are
//                                          made under (flock; nothing is written in it;
//                                          ".1" to ".3" beside it when it is no lock file)
//   <shared>/apps/.shared-folder-in-use    an app keeps its data in <shared> itself: none
//                                          of it is taken over
//   <shared>/apps/.reading-XXXXXX          a process's own while it reads an earlier store
//                                          there, linked (or copied) with its journals;
//                                          removed after, or, left by a run stopped dead,
//                                          by a later start
//
// No app's name can be taken for what earlier versions left, which lies directly in
// <shared>, beside "apps", and only what the kit made beyond doubt counts
// (earlier_shared_data.hpp): a host named like the kit keeps its own files there. The
// first app that starts without a folder of its own takes all of it: under the lock each entry is renamed (never copied, never over another) into
// the folder being made for that app, which is then renamed into place in one rename. A
// start of any app that finds a folder being made, left by a run stopped on the way,
// first finishes it for the app its name says. So each entry an earlier version left is,
// at every instant, in the shared folder, in one app's folder being made or in that app's
// folder; never in two apps' folders, never lost. Later apps start with a folder of their
// own, empty. A file renamed keeps its identity: a process of an earlier version that has
// the store open goes on writing the records into the taking app's store (SQLite's locks
// go with the files), while what it writes by name (photos, preferences) lands in the
// shared folder again, for the next app that starts without a folder of its own.
#include <filesystem>
#include <string_view>

namespace vistrel {

// The folder of the app whose folder name is `program` under the kit's shared folder
// `shared`, made when missing, after the takeover above, whichever app it is.
// The steps are told to the file step observer ("takeover: taking the lock", "takeover:
// lock taken", "takeover: folder made", "takeover: moved" for each entry, "takeover: in
// place", or "takeover: own folder made" when there was nothing to take).
std::filesystem::path appDataFolder(const std::filesystem::path& shared, std::string_view program);

// An app keeps its data in the shared folder itself (VISTREL_HOME names it): what lies
// there is that app's, live, and is marked so ("apps/.shared-folder-in-use", empty), so that
// no app's first start takes it over.
void markTheSharedFolderInUse(const std::filesystem::path& shared);

}  // namespace vistrel
