#pragma once
#include <filesystem>

namespace vistrel {

// The kit's data folder: $VISTREL_HOME, else $XDG_DATA_HOME/vistrel, else
// ~/.local/share/vistrel. Preferences, the history store and photos live there.
std::filesystem::path dataDirectory();

}  // namespace vistrel
