#include "vistrel/platform/foundation/file_identity.hpp"

#include <sys/stat.h>

namespace platform {

std::optional<FileIdentity> identityAt(const std::filesystem::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
    return FileIdentity{st.st_dev, st.st_ino};
}

bool isSameEntry(const std::filesystem::path& a, const std::filesystem::path& b) {
    const auto first = identityAt(a);
    return first && first == identityAt(b);
}

}  // namespace platform
