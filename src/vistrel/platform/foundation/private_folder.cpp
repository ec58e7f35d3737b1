#include "vistrel/platform/foundation/private_folder.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>
#include <vector>

namespace platform {

namespace {

// A few makings at most: each lost one lost to another process's removeIfLeft, which can
// take a folder only between its making and its hold.
constexpr int kMostMakings = 3;

// Opens the folder at `path` and holds it, without waiting: -1 when it is no folder (never
// through a link, never waiting on a FIFO), or another holds it, or the name no longer
// names the folder held (another process's removeIfLeft took it meanwhile).
int openAndHold(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat held {}, named {};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino)
        return fd;
    ::close(fd);
    return -1;
}

// Removes the files of the folder held by `fd`, then the folder at `path` when that left
// it empty.
void removeHeld(int fd, const std::filesystem::path& path) {
    std::vector<std::string> names;
    if (DIR* folder = ::fdopendir(::dup(fd))) {
        while (const dirent* entry = ::readdir(folder)) {
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..") names.emplace_back(name);
        }
        ::closedir(folder);
    }
    for (const std::string& name : names) ::unlinkat(fd, name.c_str(), 0);  // a folder in it stays
    ::rmdir(path.c_str());
}

}  // namespace

std::optional<PrivateFolder> PrivateFolder::make(const std::filesystem::path& parent, std::string_view mark) {
    for (int making = 0; making < kMostMakings; ++making) {
        std::string pattern = (parent / (std::string(mark) + "XXXXXX")).string();
        if (!::mkdtemp(pattern.data())) return std::nullopt;
        if (const int fd = openAndHold(pattern); fd >= 0) return PrivateFolder(std::move(pattern), fd);
        ::rmdir(pattern.c_str());  // gone already, most likely
    }
    return std::nullopt;
}

void PrivateFolder::removeIfLeft(const std::filesystem::path& folder) {
    takeIfLeft(folder);  // removed as the object taken goes
}

std::optional<PrivateFolder> PrivateFolder::takeIfLeft(const std::filesystem::path& folder) {
    const int fd = openAndHold(folder);
    if (fd < 0) return std::nullopt;
    return PrivateFolder(folder, fd);
}

PrivateFolder::PrivateFolder(PrivateFolder&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)) {}

PrivateFolder& PrivateFolder::operator=(PrivateFolder&& other) noexcept {
    if (this != &other) {
        PrivateFolder gone(std::move(*this));
        path_ = std::move(other.path_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

PrivateFolder::~PrivateFolder() {
    if (fd_ < 0) return;
    removeHeld(fd_, path_);
    ::close(fd_);  // held until it is gone
}

PrivateFolder::Linked PrivateFolder::link(const std::filesystem::path& file, std::string_view name) {
    // A look first: a folder cannot be linked at all, and its failure would read as one of
    // the link's own.
    struct stat st {};
    if (::lstat(file.c_str(), &st) != 0) return errno == ENOENT ? Linked::missing : Linked::failed;
    if (!S_ISREG(st.st_mode)) return Linked::notRegularFile;
    const std::string linkName(name);
    if (::linkat(AT_FDCWD, file.c_str(), fd_, linkName.c_str(), 0) != 0)
        return errno == ENOENT ? Linked::missing : Linked::failed;
    // What the name held by the time of the link is what the link is.
    if (::fstatat(fd_, linkName.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
        return Linked::regularFile;
    return ::unlinkat(fd_, linkName.c_str(), 0) == 0 ? Linked::notRegularFile : Linked::failed;
}

}  // namespace platform
