#pragma once
// The kit's own user defaults: "<bundle identifier>.plist" ("io.vistrel.sdk.plist") in
// the kit's data folder, apart from the host's (the process-wide standard defaults, whose
// file is "preferences.plist", are the host's alone, even when the two folders are one).
// The kit's processes take turns at putting either file in place, by a lock of that
// file's own in the kit's data folder (WritersTurns::lockOf), set for the standard
// defaults as the kit is loaded: a writer of one file never waits for a writer of the
// other.
#include <memory>

#include "vistrel/platform/foundation/user_defaults.hpp"

namespace vistrel {

// The kit keeps a handful of short values: its file past a megabyte or a thousand keys is
// not one it wrote, and is moved aside rather than read, under a name of its own (a sound
// file of hundreds of thousands of keys would cost the main thread seconds at start). The
// host's own files have no such bounds: they are read at whatever size the host keeps.
inline constexpr platform::DefaultsBounds kitDefaultsBounds{1u << 20, 1000};

// Opened on first use, and again whenever the data folder names another place.
std::shared_ptr<platform::UserDefaults> kitDefaults();

// Drops the open defaults, so that the next use reads the file again (a new launch).
void reopenKitDefaults();

}  // namespace vistrel
