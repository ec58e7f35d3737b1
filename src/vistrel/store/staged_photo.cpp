#include "vistrel/store/staged_photo.hpp"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <system_error>

#include "vistrel/platform/foundation/random.hpp"

namespace vistrel {

namespace {

bool writeAll(int fd, std::string_view bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::optional<StagedPhoto> StagedPhoto::write(const std::filesystem::path& path, std::string_view bytes) {
    std::error_code ec;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
    if (ec) return std::nullopt;
    std::uint64_t tag = 0;
    platform::randomBytes(&tag, sizeof tag);
    std::filesystem::path temporary = path;
    temporary += ".tmp-";
    temporary += std::to_string(tag);

    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return std::nullopt;
    bool ok = ::fchmod(fd, 0644) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok) {
        ::unlink(temporary.c_str());
        return std::nullopt;
    }
    // Into place now only when no file has the name; otherwise that file stays until the
    // record is saved. (A file system without this kind of rename takes the later path.)
    bool placed = ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0;
    return StagedPhoto(path, std::move(temporary), placed);
}

StagedPhoto::StagedPhoto(StagedPhoto&& other) noexcept
    : path_(std::move(other.path_)),
      temporary_(std::move(other.temporary_)),
      placed_(other.placed_),
      settled_(other.settled_) {
    other.settled_ = true;
}

StagedPhoto::~StagedPhoto() { discard(); }

bool StagedPhoto::keep() {
    if (settled_) return false;
    settled_ = true;
    if (placed_) return true;
    if (::rename(temporary_.c_str(), path_.c_str()) == 0) return placed_ = true;
    ::unlink(temporary_.c_str());
    return false;
}

void StagedPhoto::discard() {
    if (settled_) return;
    settled_ = true;
    ::unlink(placed_ ? path_.c_str() : temporary_.c_str());
}

}  // namespace vistrel
