#pragma once
// Where the application keeps its data.
#include <filesystem>
#include <optional>
#include <string_view>

namespace platform {

// The folder set with setApplicationDataDirectory, else $XDG_DATA_HOME/<program name>,
// else ~/.local/share/<program name>.
std::filesystem::path applicationDataDirectory();
void setApplicationDataDirectory(std::optional<std::filesystem::path> folder);

// The name the program was started by: the last part of its first argument, which may be
// empty, "." or ".." (platform::folderNameFor makes it a folder name).
std::string_view programName();

}  // namespace platform
