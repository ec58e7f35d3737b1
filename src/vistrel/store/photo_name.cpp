#include "vistrel/store/photo_name.hpp"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/store/set_aside_photo.hpp"

namespace vistrel {

namespace {

void logRefusal(const std::filesystem::path& path, std::string_view why) {
    platform::log(platform::escapeControlCharacters(
        platform::concatenate("store :: ", path.string(), " ", why, "; no photo is written")));
}

// What a step that relies on the store's write lock says when it finds the lock gone (a
// failure of the file let it go, say): it changes nothing at the name.
void logLockGone(const std::filesystem::path& path, std::string_view step) {
    platform::log(platform::escapeControlCharacters(platform::concatenate(
        "store :: the store's write lock is no longer held ", step, "; ", path.string(), " is left as it is")));
}

void logNotBack(const std::filesystem::path& aside) {
    platform::log(platform::escapeControlCharacters(
        platform::concatenate("store :: the photo set aside as ", aside.string(), " could not take its name again")));
}

}  // namespace

std::optional<PhotoName> PhotoName::clear(platform::store::WriteLock& lock, std::filesystem::path path,
                                          RecordedNow recordedNow) {
    if (!lock.held()) {
        logLockGone(path, "as its name is to be cleared");
        return std::nullopt;
    }
    PhotoName name(lock, std::move(path), std::move(recordedNow));
    if (name.setAside()) return name;
    name.settled_ = true;  // nothing was changed
    return std::nullopt;
}

PhotoName::PhotoName(PhotoName&& other) noexcept
    : lock_(other.lock_),
      path_(std::move(other.path_)),
      recordedNow_(std::move(other.recordedNow_)),
      asides_(std::move(other.asides_)),
      written_(other.written_),
      heldWritten_(std::exchange(other.heldWritten_, -1)),
      settled_(std::exchange(other.settled_, true)) {}

PhotoName::~PhotoName() {
    giveUp();
    letGoOfWritten();
}

bool PhotoName::setAside() {
    struct stat st {};
    if (::lstat(path_.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return true;  // nothing has the name
        logRefusal(path_, "cannot be looked at");
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        logRefusal(path_, "is a folder");
        return false;
    }
    SetAside moved{setAsidePathFor(path_, st.st_mtim), st.st_mtim, S_ISLNK(st.st_mode)};
    platform::fileStep("photo: setting aside");
    if (::rename(path_.c_str(), moved.path.c_str()) != 0) {
        if (errno == ENOENT) return true;  // gone since the look: nothing has the name
        logRefusal(path_, "cannot be set aside until the new record is saved");
        return false;
    }
    platform::fileStep("photo: set aside");
    // Just changed, as far as any clean-up can tell, until it takes its name again or goes
    // (its own time is in its name): a clean-up of an earlier version, which takes no
    // lock, leaves it alone meanwhile.
    const timespec marked[2] = {{0, UTIME_OMIT}, {0, UTIME_NOW}};
    if (::utimensat(AT_FDCWD, moved.path.c_str(), marked, AT_SYMLINK_NOFOLLOW) != 0) {
        if (::rename(moved.path.c_str(), path_.c_str()) != 0) logNotBack(moved.path);
        logRefusal(path_, "cannot be marked as set aside");
        return false;
    }
    platform::fileStep("photo: stamped");
    asides_.push_back(std::move(moved));
    return true;
}

bool PhotoName::put(platform::PreparedFile staged) {
    if (!lock_->held()) {
        logLockGone(path_, "as a new photo is to take its name");
        return false;  // the staged photo goes with its object
    }
    // A program that takes no lock may write at the name between two renames of this one:
    // what it wrote is set aside in turn, a few times at most.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (staged.putInPlace(false)) {
            platform::syncFolderOf(path_);
            holdWritten(staged.identity());
            return true;
        }
        if (errno != EEXIST || !setAside()) break;
    }
    logRefusal(path_, "cannot take its new photo");
    return false;  // the staged photo goes with its object
}

void PhotoName::written() {
    // What the writer left is looked at only: nothing at the name changes here. Left
    // nothing (it keeps its photos elsewhere), the name stays free: what had it is no
    // record's photo, and goes once the record is saved.
    if (!written_) holdWritten(std::nullopt);
}

void PhotoName::holdWritten(std::optional<platform::FileIdentity> expected) {
    letGoOfWritten();
    written_ = expected;
    const int fd = ::open(path_.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && ::fstat(fd, &st) == 0 && (!expected || platform::FileIdentity{st.st_dev, st.st_ino} == *expected)) {
        written_ = platform::FileIdentity{st.st_dev, st.st_ino};
        heldWritten_ = fd;
    } else if (fd >= 0) {
        ::close(fd);
    }
}

void PhotoName::letGoOfWritten() {
    if (heldWritten_ >= 0) ::close(std::exchange(heldWritten_, -1));
}

void PhotoName::keep() {
    if (std::exchange(settled_, true)) return;
    letGoOfWritten();
    dropAsides();
}

void PhotoName::giveUp() {
    if (std::exchange(settled_, true)) return;
    const bool letGo = !lock_->held();
    if (!lock_->takeAgain()) {
        platform::log(platform::escapeControlCharacters(platform::concatenate(
            "store :: the store's write lock could not be taken again; ", path_.string(),
            " and what was set aside from it are left for the clean-up of a later opening")));
        return;
    }
    // Only what the photo's writer left goes: a file a program that takes no lock wrote
    // there since is newer than anything set aside, and stays.
    auto now = platform::identityAt(path_);
    if (written_ && now == written_ && ::unlink(path_.c_str()) == 0) {
        platform::fileStep("photo: new one removed");
        now.reset();
    }
    letGoOfWritten();
    if (now) {
        dropAsides();
        return;
    }
    if (letGo && recordedNow_ && !asides_.empty()) {
        const auto recorded = recordedNow_();
        if (!recorded) {
            platform::log(platform::escapeControlCharacters(platform::concatenate(
                "store :: the records could not be read again; what was set aside from ", path_.string(),
                " is left for the clean-up of a later opening")));
            asides_.clear();
            return;
        }
        if (*recorded) {
            dropAsides();
            return;
        }
    }
    putBackNewest();
}

void PhotoName::putBackNewest() {
    // Only a regular file ever takes a photo's name: a link only goes.
    if (!asides_.empty() && !asides_.back().isLink) {
        if (!takeBack(*lock_, asides_.back().path, path_, asides_.back().modified, false)) {
            // Left where it is, every one, for the clean-up of a later opening.
            logNotBack(asides_.back().path);
            asides_.clear();
            return;
        }
        asides_.pop_back();
    }
    dropAsides();
}

void PhotoName::dropAsides() {
    for (const auto& aside : asides_)
        if (::unlink(aside.path.c_str()) == 0) platform::fileStep("photo: aside removed");
    asides_.clear();
}

bool PhotoName::takeBack(const platform::store::WriteLock& lock, const std::filesystem::path& aside,
                         const std::filesystem::path& target, const std::timespec& modified, bool replace) {
    if (!lock.held()) {
        logLockGone(target, "as a photo set aside is to take its name again");
        return false;
    }
    restoreSetAsideTime(aside, modified);
    platform::fileStep("photo: putting back");
    const bool taken =
        replace ? ::rename(aside.c_str(), target.c_str()) == 0 : platform::renameToAFreeName(aside, target);
    if (taken) platform::syncFolderOf(target);
    return taken;
}

}  // namespace vistrel
