#pragma once
// A lock that processes sharing a folder take in turn, on a file there (flock): one open
// of the file holds it at a time, and its holder lets it go by closing the file or by
// dying, so that a lock file left behind holds no one. Its holders may leave a mark in the
// file for one another.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace platform {

class FileLock {
public:
    enum class Failure {
        unavailable,  // the lock file could not be made or opened, or is not a regular file
        timedOut,     // another holder kept it past the wait
    };

    // Takes the lock of the file at `path`, made with its folder when missing (never
    // reached through a link), waiting at most `bound` for another holder, counted from the
    // step that tells the wait ("lock: waiting for another holder", file_steps.hpp). None,
    // and `failure` told why, when it was not had.
    static std::optional<FileLock> take(const std::filesystem::path& path, std::chrono::milliseconds bound,
                                        Failure* failure = nullptr);

    // A few bytes a holder leaves for the next: who left them, about what, and when
    // (nanoseconds of real time). A mark of no one is none.
    struct Mark {
        std::uint64_t holder = 0, subject = 0;
        std::int64_t at = 0;
    };
    // Leaves the mark in place of the last. False when the file cannot take it (one another
    // user made, opened for reading only).
    bool leave(const Mark& mark);
    // The mark last left; none when none was, or the last was of no one.
    std::optional<Mark> mark() const;

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
