#include "vistrel/platform/foundation/file_lock.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "vistrel/platform/foundation/file_steps.hpp"

namespace platform {

namespace {

// Opens the lock file for reading only (a lock needs no more, and nothing is written into
// it), not through a link, and not waited on should it be a FIFO; made when missing with
// `create`, readable by its owner alone, so that no other user can hold its lock. -1, and
// `failure` told why, when what has the name is no lock file of this user's.
int openLockFile(const std::filesystem::path& path, bool create, FileLock::Failure& failure) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | (create ? O_CREAT : 0), 0600);
    if (fd < 0) {
        failure = errno == ELOOP ? FileLock::Failure::notALockFile : FileLock::Failure::unavailable;
        return -1;
    }
    // A hard link at its name to a file of someone's, a device, a file another user made:
    // not a lock of this user's writers, whatever the lock would keep apart.
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1 || st.st_uid != ::geteuid()) {
        failure = FileLock::Failure::notALockFile;
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

std::optional<FileLock> FileLock::take(const std::filesystem::path& path, std::chrono::milliseconds bound,
                                       Failure* failure, Hold hold) {
    Failure why = Failure::unavailable;
    const auto failed = [&](Failure reason) -> std::optional<FileLock> {
        if (failure) *failure = reason;
        return std::nullopt;
    };
    std::error_code ec;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
    FileLock lock(openLockFile(path, true, why));
    if (lock.fd_ < 0) return failed(why);
    // A holder keeps the lock for a short step: it is asked for again at growing intervals,
    // a few milliseconds at most, until the bound.
    const int operation = hold == Hold::alone ? LOCK_EX : LOCK_SH;
    std::optional<std::chrono::steady_clock::time_point> deadline;
    std::chrono::microseconds interval{50};
    for (;;) {
        if (::flock(lock.fd_, operation | LOCK_NB) == 0) return lock;
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) return failed(Failure::unavailable);
        if (bound <= std::chrono::milliseconds::zero()) return failed(Failure::timedOut);  // no time to wait
        // The wait starts once it is told: a process stopped at the step (a test stepping
        // two of them) has not spent any of its bound.
        if (!deadline) {
            fileStep("lock: waiting for another holder");
            deadline = std::chrono::steady_clock::now() + bound;
            // Stopped at the step until the holder let go, most likely: tried again at once.
            if (fileStepsStop()) continue;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= *deadline) return failed(Failure::timedOut);
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(interval, *deadline - now));
        interval = std::min(interval * 2, std::chrono::microseconds(2000));
    }
}

bool FileLock::isHeld(const std::filesystem::path& path) {
    Failure ignored = Failure::unavailable;
    const FileLock lock(openLockFile(path, false, ignored));
    if (lock.fd_ < 0) return false;
    int taken;
    while ((taken = ::flock(lock.fd_, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    // Had: let go as the file closes.
    return taken != 0 && errno == EWOULDBLOCK;
}

std::filesystem::path FileLock::alternateOf(const std::filesystem::path& named, int number) {
    std::filesystem::path alternate = named;
    alternate += ".";
    alternate += std::to_string(number);
    return alternate;
}

std::optional<FileLock> FileLock::takeServing(const std::filesystem::path& named, std::chrono::milliseconds bound,
                                              std::filesystem::path& taken, Failure* failure, Failure* namedFailure,
                                              Hold hold) {
    Failure why = Failure::unavailable;
    std::optional<FileLock> lock;
    for (int alternate = 0; alternate <= alternates; ++alternate) {
        taken = alternate == 0 ? named : alternateOf(named, alternate);
        lock = take(taken, bound, &why, hold);
        if (alternate == 0 && namedFailure) *namedFailure = why;
        // A holder kept it past the wait: the lock serves, and is held.
        if (lock || why == Failure::timedOut) break;
    }
    if (!lock && failure) *failure = why;
    return lock;
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
