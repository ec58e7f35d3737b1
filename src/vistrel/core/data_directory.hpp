#pragma once
#include <filesystem>

namespace vistrel {

// The kit's data folder: $VISTREL_HOME when set (that folder, as it is); else the app's
// own folder under the kit's shared one ($XDG_DATA_HOME/vistrel, else
// ~/.local/share/vistrel), "apps/<program name>" there, made on first use, after what
// earlier versions left in the shared folder itself was taken over once
// (app_data_folder.hpp). Preferences, the history store, photos, events and contacts live
// there. Resolved once for each shared folder in a process (the environment names it),
// so that its preferences, store and photos never part within a run.
std::filesystem::path dataDirectory();

}  // namespace vistrel
