#include "vistrel/core/data_directory.hpp"

#include <cstdlib>
#include <map>
#include <mutex>
#include <set>
#include <system_error>

#include "vistrel/core/app_data_folder.hpp"
#include "vistrel/platform/foundation/directories.hpp"
#include "vistrel/platform/foundation/folder_name.hpp"

namespace vistrel {

namespace {

std::mutex gMutex;
// The app's folder of each shared folder this process resolved.
std::map<std::filesystem::path, std::filesystem::path> gResolved;
// The folders VISTREL_HOME named in this process, each looked at once.
std::set<std::filesystem::path> gHomesLooked;

std::filesystem::path sharedDataDirectory() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
        return std::filesystem::path(xdg) / "vistrel";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".local/share/vistrel";
    std::error_code ec;
    const std::filesystem::path temporary = std::filesystem::temp_directory_path(ec);
    return (ec ? std::filesystem::path("/tmp") : temporary) / "vistrel";
}

}  // namespace

std::filesystem::path dataDirectory() {
    const std::filesystem::path shared = sharedDataDirectory();
    if (const char* home = std::getenv("VISTREL_HOME"); home && *home) {
        // An app that keeps its data in the shared folder itself marks it, once, so that no
        // other app's first start takes its live data for what an earlier version left.
        std::lock_guard lock(gMutex);
        if (gHomesLooked.emplace(home).second) {
            // Compared as paths, links followed as far as they go (the folder may not be
            // made yet), however they are written: "/a/b/" is "/a/b".
            const auto resolved = [](const std::filesystem::path& path, std::error_code& ec) {
                std::filesystem::path folder = std::filesystem::weakly_canonical(path, ec).lexically_normal();
                return folder.has_filename() ? folder : folder.parent_path();
            };
            std::error_code ec, ec2;
            const auto folder = resolved(home, ec);
            if (!ec && folder == resolved(shared, ec2) && !ec2) markTheSharedFolderInUse(shared);
        }
        return home;
    }
    std::lock_guard lock(gMutex);
    if (const auto found = gResolved.find(shared); found != gResolved.end()) return found->second;
    return gResolved.emplace(shared, appDataFolder(shared, platform::folderNameFor(platform::programName())))
        .first->second;
}

}  // namespace vistrel
