#include "vistrel/platform/foundation/file_lock.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <thread>
#include <utility>

#include "vistrel/platform/foundation/file_steps.hpp"

namespace platform {

std::optional<FileLock> FileLock::take(const std::filesystem::path& path, std::chrono::milliseconds bound,
                                       Failure* failure) {
    const auto failed = [&](Failure why) -> std::optional<FileLock> {
        if (failure) *failure = why;
        return std::nullopt;
    };
    std::error_code ec;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
    // Not followed through a link, and not waited on should it be a FIFO. Reading is all a
    // lock needs: a file another user made, readable only, serves too, without marks.
    constexpr int flags = O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    FileLock lock(::open(path.c_str(), O_RDWR | flags, 0644));
    if (lock.fd_ < 0 && errno == EACCES) lock.fd_ = ::open(path.c_str(), O_RDONLY | flags, 0644);
    struct stat st {};
    if (lock.fd_ < 0 || ::fstat(lock.fd_, &st) != 0 || !S_ISREG(st.st_mode)) return failed(Failure::unavailable);
    // A holder keeps the lock for a short step: it is asked for again at growing intervals,
    // a few milliseconds at most, until the bound.
    std::optional<std::chrono::steady_clock::time_point> deadline;
    std::chrono::microseconds interval{50};
    for (;;) {
        if (::flock(lock.fd_, LOCK_EX | LOCK_NB) == 0) return lock;
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) return failed(Failure::unavailable);
        // The wait starts once it is told: a process stopped at the step (a test stepping
        // two of them) has not spent any of its bound.
        if (!deadline) {
            fileStep("lock: waiting for another holder");
            deadline = std::chrono::steady_clock::now() + bound;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= *deadline) return failed(Failure::timedOut);
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(interval, *deadline - now));
        interval = std::min(interval * 2, std::chrono::microseconds(2000));
    }
}

bool FileLock::leave(const Mark& mark) {
    return ::pwrite(fd_, &mark, sizeof mark, 0) == static_cast<ssize_t>(sizeof mark);
}

std::optional<FileLock::Mark> FileLock::mark() const {
    Mark mark;
    if (::pread(fd_, &mark, sizeof mark, 0) != static_cast<ssize_t>(sizeof mark) || mark.holder == 0)
        return std::nullopt;
    return mark;
}

FileLock::FileLock(FileLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace platform
