#pragma once
// Which file a name holds, told by its device and inode: two names of one file, or a
// name that still holds what was put there, whatever its bytes or times have become.
#include <sys/types.h>

#include <filesystem>
#include <optional>

namespace platform {

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// What has the name itself (a link is not followed: the link's own identity); none when
// nothing has it or it cannot be looked at.
std::optional<FileIdentity> identityAt(const std::filesystem::path& path);

// True when both names are of one file (or one link).
bool isSameEntry(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace platform
