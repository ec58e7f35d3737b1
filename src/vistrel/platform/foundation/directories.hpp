#pragma once
// Where the application keeps its data.
#include <filesystem>
#include <optional>

namespace platform {

// The folder set with setApplicationDataDirectory, else $XDG_DATA_HOME/<program name>,
// else ~/.local/share/<program name>.
std::filesystem::path applicationDataDirectory();
void setApplicationDataDirectory(std::optional<std::filesystem::path> folder);

}  // namespace platform
