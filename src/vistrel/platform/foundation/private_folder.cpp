#include "vistrel/platform/foundation/private_folder.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include "vistrel/platform/foundation/file_steps.hpp"

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

// The most a copy's part holds: the deadline is looked at between parts, and a part of
// this many bytes takes a disk a fraction of a second.
constexpr std::size_t kCopyPartBytes = 8u << 20;

bool sameTime(const std::timespec& a, const std::timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// Copies the `size` bytes from `from` (at its start) to `to`, in parts each begun before
// `deadline`: by the kernel, file to file, or where it cannot between these two files
// (another file system, an older kernel), by sendfile. False when a part failed, or the
// file ended before `size` (it changed meanwhile).
bool copyBytes(int from, int to, off_t size, std::chrono::steady_clock::time_point deadline) {
    bool sent = false;
    for (off_t done = 0; done < size;) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        const auto part = static_cast<std::size_t>(std::min<off_t>(size - done, static_cast<off_t>(kCopyPartBytes)));
        ssize_t copied = sent ? -1 : ::copy_file_range(from, nullptr, to, nullptr, part, 0);
        if (!sent && copied < 0 &&
            (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL || errno == EBADF))
            sent = true;
        if (sent) copied = ::sendfile(to, from, nullptr, part);
        if (copied < 0 && errno == EINTR) continue;
        if (copied <= 0) return false;
        done += copied;
    }
    return true;
}

// Removes the files of the folder held by `fd`.
void removeFilesHeld(int fd) {
    std::vector<std::string> names;
    if (DIR* folder = ::fdopendir(::dup(fd))) {
        ::rewinddir(folder);  // the duplicate shares its place with `fd`, where a former read left it
        while (const dirent* entry = ::readdir(folder)) {
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..") names.emplace_back(name);
        }
        ::closedir(folder);
    }
    for (const std::string& name : names) ::unlinkat(fd, name.c_str(), 0);  // a folder in it stays
}

// Removes the files of the folder held by `fd`, then the folder at `path` when that left
// it empty.
void removeHeld(int fd, const std::filesystem::path& path) {
    removeFilesHeld(fd);
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
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)), copies_(std::move(other.copies_)) {}

PrivateFolder& PrivateFolder::operator=(PrivateFolder&& other) noexcept {
    if (this != &other) {
        PrivateFolder gone(std::move(*this));
        path_ = std::move(other.path_);
        fd_ = std::exchange(other.fd_, -1);
        copies_ = std::move(other.copies_);
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
        return errno == ENOENT ? Linked::missing : errno == EXDEV ? Linked::otherFileSystem : Linked::failed;
    // What the name held by the time of the link is what the link is.
    if (::fstatat(fd_, linkName.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
        return Linked::regularFile;
    return ::unlinkat(fd_, linkName.c_str(), 0) == 0 ? Linked::notRegularFile : Linked::failed;
}

PrivateFolder::Linked PrivateFolder::copy(const std::filesystem::path& file, std::string_view name,
                                          std::chrono::steady_clock::time_point deadline) {
    // A look first, so that what is no regular file is not even opened; then never through a
    // link, and never waiting for a writer at a FIFO: whatever has the name by the open, it
    // returns at once, and is copied only when it is a regular file.
    struct stat before {};
    if (::lstat(file.c_str(), &before) != 0) return errno == ENOENT ? Linked::missing : Linked::failed;
    if (!S_ISREG(before.st_mode)) return Linked::notRegularFile;
    const int from = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (from < 0) return errno == ENOENT ? Linked::missing : errno == ELOOP ? Linked::notRegularFile : Linked::failed;
    if (::fstat(from, &before) != 0 || !S_ISREG(before.st_mode)) {
        ::close(from);
        return Linked::notRegularFile;
    }
    fileStep("copy: opened");
    const std::string copyName(name);
    const int to = ::openat(fd_, copyName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    bool copied = to >= 0 && copyBytes(from, to, before.st_size, deadline);
    struct stat after {}, named {};
    copied = copied && ::fstat(from, &after) == 0 && after.st_size == before.st_size &&
             sameTime(after.st_mtim, before.st_mtim) && ::lstat(file.c_str(), &named) == 0 &&
             named.st_dev == before.st_dev && named.st_ino == before.st_ino;
    ::close(from);
    if (to >= 0) copied = ::close(to) == 0 && copied;
    if (!copied) {
        if (to >= 0) ::unlinkat(fd_, copyName.c_str(), 0);
        return Linked::failed;
    }
    copies_.push_back({file, before.st_dev, before.st_ino, before.st_size, before.st_mtim});
    return Linked::regularFile;
}

bool PrivateFolder::copiesUnchanged() const {
    return std::all_of(copies_.begin(), copies_.end(), [](const Copied& copy) {
        struct stat now {};
        return ::lstat(copy.file.c_str(), &now) == 0 && now.st_dev == copy.device && now.st_ino == copy.inode &&
               now.st_size == copy.size && sameTime(now.st_mtim, copy.modified);
    });
}

void PrivateFolder::removeFiles() {
    removeFilesHeld(fd_);
    copies_.clear();
}

}  // namespace platform
