#include "vistrel/platform/foundation/directories.hpp"

#include <cerrno>
#include <cstdlib>
#include <mutex>

namespace platform {

namespace {
std::mutex gMutex;
std::optional<std::filesystem::path> gFolder;
}  // namespace

std::filesystem::path applicationDataDirectory() {
    {
        std::lock_guard lock(gMutex);
        if (gFolder) return *gFolder;
    }
    std::filesystem::path name = programName();
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') return xdg / name;
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".local/share" / name;
    return std::filesystem::temp_directory_path() / name;
}

void setApplicationDataDirectory(std::optional<std::filesystem::path> folder) {
    std::lock_guard lock(gMutex);
    gFolder = std::move(folder);
}

std::string_view programName() { return program_invocation_short_name; }

}  // namespace platform
