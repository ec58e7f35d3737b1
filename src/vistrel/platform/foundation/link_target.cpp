#include "vistrel/platform/foundation/link_target.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <string>

namespace platform {

std::optional<std::filesystem::path> linkTarget(const std::filesystem::path& path) {
    std::filesystem::path at = path;
    for (int followed = 0;; ++followed) {
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
        if (followed == maxLinksFollowed) return std::nullopt;
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(at.c_str(), target.data(), target.size());
        if (length <= 0 || std::size_t(length) >= target.size()) return std::nullopt;
        target.resize(std::size_t(length));
        // Not made lexically shorter: "link/../x" is where the system finds it, past the
        // links on the way.
        at = target.front() == '/' ? std::filesystem::path(target) : at.parent_path() / target;
    }
}

}  // namespace platform
