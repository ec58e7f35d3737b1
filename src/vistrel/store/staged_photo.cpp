#include "vistrel/store/staged_photo.hpp"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/store/set_aside_photo.hpp"

namespace vistrel {

namespace {

void logRefusal(const std::filesystem::path& path, std::string_view why) {
    platform::log(platform::escapeControlCharacters(
        platform::concatenate("store :: ", path.string(), " ", why, "; no photo is written")));
}

void logNotBack(const std::filesystem::path& aside) {
    platform::log(platform::escapeControlCharacters(
        platform::concatenate("store :: the photo set aside as ", aside.string(), " could not take its name again")));
}

}  // namespace

std::optional<StagedPhoto> StagedPhoto::write(const std::filesystem::path& path, const std::function<bool()>& write) {
    std::optional<SetAside> aside;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            logRefusal(path, "is a folder");
            return std::nullopt;
        }
        SetAside moved{setAsidePathFor(path, st.st_mtim), st.st_mtim, S_ISLNK(st.st_mode)};
        if (::rename(path.c_str(), moved.path.c_str()) != 0) {
            // Gone since it was looked at (another host sharing the folder set it aside
            // first): nothing has the name.
            if (errno == ENOENT) return writeOver(path, std::nullopt, write);
            logRefusal(path, "cannot be set aside until the new record is saved");
            return std::nullopt;
        }
        platform::fileStep("photo: set aside");
        // Just changed, as far as any clean-up can tell, until it takes its name again (its
        // own time is in its name). Without that mark another host's clean-up could take it
        // meanwhile.
        const timespec marked[2] = {{0, UTIME_OMIT}, {0, UTIME_NOW}};
        if (::utimensat(AT_FDCWD, moved.path.c_str(), marked, AT_SYMLINK_NOFOLLOW) != 0) {
            if (::rename(moved.path.c_str(), path.c_str()) != 0) logNotBack(moved.path);
            logRefusal(path, "cannot be marked as set aside");
            return std::nullopt;
        }
        platform::fileStep("photo: stamped");
        aside = std::move(moved);
    }
    return writeOver(path, std::move(aside), write);
}

std::optional<StagedPhoto> StagedPhoto::writeOver(const std::filesystem::path& path, std::optional<SetAside> aside,
                                                  const std::function<bool()>& write) {
    StagedPhoto photo(path, std::move(aside));
    bool written = false;
    try {
        written = write();
    } catch (...) {
        // What has the name is what the write left, whatever it did before it threw: the
        // unwinding discards it as a failed write's.
        photo.written_ = platform::identityAt(path);
        throw;
    }
    photo.written_ = platform::identityAt(path);
    if (!written) return std::nullopt;  // the photo discards what the write left
    return photo;
}

void StagedPhoto::adoptStaged(platform::PreparedFile staged) {
    staged_ = std::move(staged);
    written_.reset();
}

bool StagedPhoto::putInPlace() {
    if (!staged_) return true;
    // Never over a file that took the name meanwhile: it is not one this save set aside.
    const bool put = staged_->putInPlace(false);
    staged_.reset();  // removed unless put in place
    if (!put) {
        logRefusal(path_, "was taken while its new photo was written");
        return false;
    }
    platform::syncFolderOf(path_);
    written_ = platform::identityAt(path_);
    return true;
}

StagedPhoto::StagedPhoto(StagedPhoto&& other) noexcept
    : path_(std::move(other.path_)),
      aside_(std::move(other.aside_)),
      written_(other.written_),
      staged_(std::exchange(other.staged_, std::nullopt)),
      settled_(other.settled_) {
    other.settled_ = true;
}

StagedPhoto::~StagedPhoto() { discard(); }

void StagedPhoto::putBack() {
    if (aside_->isLink) {
        // Only a regular file ever takes a photo's name: the name is left free.
        if (written_) ::unlink(path_.c_str());
        removeAside();
        return;
    }
    restoreSetAsideTime(aside_->path, aside_->modified);
    platform::fileStep("photo: putting back");
    if (::rename(aside_->path.c_str(), path_.c_str()) == 0) {
        platform::syncFolderOf(path_);
        return;
    }
    logNotBack(aside_->path);
}

void StagedPhoto::removeAside() {
    if (::unlink(aside_->path.c_str()) == 0) platform::fileStep("photo: aside removed");
}

void StagedPhoto::keep() {
    if (settled_) return;
    settled_ = true;
    staged_.reset();  // never put in place: nothing of it is kept
    if (!aside_) return;
    if (!written_ && !platform::identityAt(path_)) {
        putBack();
        return;
    }
    removeAside();
}

void StagedPhoto::discard() {
    if (settled_) return;
    settled_ = true;
    staged_.reset();
    // Only while the name holds what this write left: a file another host wrote since is
    // its own, and is newer than what was set aside.
    if (platform::identityAt(path_) != written_) {
        if (aside_) removeAside();
        return;
    }
    if (aside_) {
        putBack();
        return;
    }
    if (written_) ::unlink(path_.c_str());
}

}  // namespace vistrel
