#pragma once
// A lock that processes sharing a folder take in turn, on a file there (flock): one open
// of the file holds it at a time (or several share it), and its holder lets it go by
// closing the file or by dying, so that a lock file left behind holds no one. Nothing is
// ever written into a lock file: it is opened for reading only, and only a regular file of
// one link owned by this user is taken for one, so that a link at its name to a file of
// someone's never has its lock taken, nor its bytes touched.
#include <chrono>
#include <filesystem>
#include <optional>

namespace platform {

class FileLock {
public:
    enum class Failure {
        unavailable,   // the lock file could not be made or opened
        notALockFile,  // what has its name is no regular file of one link owned by this user
        timedOut,      // another holder kept it past the wait
    };
    // How the lock is held: by its holder alone, or shared with others that share it (none
    // of whom can then have it alone).
    enum class Hold { alone, shared };

    // Takes the lock of the file at `path`, made with its folder when missing (never
    // reached through a link), waiting at most `bound` for another holder, counted from the
    // step that tells the wait ("lock: waiting for another holder", file_steps.hpp), told
    // before a wait; with no time left to wait (a bound of zero) the lock is had only if
    // free, and nothing is told. None, and `failure` told why, when it was not had.
    static std::optional<FileLock> take(const std::filesystem::path& path, std::chrono::milliseconds bound,
                                        Failure* failure = nullptr, Hold hold = Hold::alone);

    // What cannot serve as a lock file at a lock's name (a link to someone's file, a FIFO,
    // a folder) is passed over for the next of a few names beside it, "<named>.1" to
    // "<named>.<alternates>", which every holder walks alike, so that they still take turns.
    static constexpr int alternates = 3;
    static std::filesystem::path alternateOf(const std::filesystem::path& named, int number);
    // Takes the lock that serves for `named` as `take` does: its own, or that of the first
    // alternate that can serve, none past them. `taken` is told which was taken (the last
    // tried when none was), and `namedFailure` why `named` itself did not serve.
    static std::optional<FileLock> takeServing(const std::filesystem::path& named, std::chrono::milliseconds bound,
                                               std::filesystem::path& taken, Failure* failure = nullptr,
                                               Failure* namedFailure = nullptr, Hold hold = Hold::alone);

    // Whether anyone holds the lock of the file at `path` now (this process too, by another
    // open of the file), found without waiting: it is taken alone and let go at once. False
    // when nothing, or no lock file (see Failure::notALockFile), has the name: it is not
    // made.
    static bool isHeld(const std::filesystem::path& path);

    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    // Lets the lock go.
    ~FileLock();

private:
    explicit FileLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};

}  // namespace platform
