#include "vistrel/store/staged_photo.hpp"

#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <system_error>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace vistrel {

namespace {

// The file (or whatever else) that has the name, without following a link.
std::optional<StagedPhoto::Identity> identityAt(const std::filesystem::path& path, bool* regular = nullptr) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
    if (regular) *regular = S_ISREG(st.st_mode);
    return StagedPhoto::Identity{st.st_dev, st.st_ino};
}

}  // namespace

std::optional<StagedPhoto> StagedPhoto::write(const std::filesystem::path& path, const std::function<bool()>& write) {
    bool regular = false;
    const auto before = identityAt(path, &regular);
    std::optional<std::filesystem::path> kept;
    if (before) {
        kept = platform::temporaryPathFor(path);
        std::error_code ec;
        if (!regular || !std::filesystem::copy_file(path, *kept, ec)) {
            if (regular) std::filesystem::remove(*kept, ec);
            platform::log(platform::escapeControlCharacters(platform::concatenate(
                "store :: ", path.string(), " cannot be kept until the new record is saved; no photo is written")));
            return std::nullopt;
        }
    }
    StagedPhoto photo(path, std::move(kept), before);
    const bool written = write();
    photo.written_ = identityAt(path);
    if (!written) return std::nullopt;  // the photo discards what the write left
    return photo;
}

StagedPhoto::StagedPhoto(StagedPhoto&& other) noexcept
    : path_(std::move(other.path_)),
      kept_(std::move(other.kept_)),
      before_(other.before_),
      written_(other.written_),
      settled_(other.settled_) {
    other.settled_ = true;
}

StagedPhoto::~StagedPhoto() { discard(); }

void StagedPhoto::keep() {
    if (settled_) return;
    settled_ = true;
    if (kept_) ::unlink(kept_->c_str());
}

void StagedPhoto::discard() {
    if (settled_) return;
    settled_ = true;
    // Only a file this write put at the name, and only while it is still there: a file
    // another host wrote since is its own.
    const bool ours = written_ && written_ != before_ && identityAt(path_) == written_;
    if (ours && kept_ && ::rename(kept_->c_str(), path_.c_str()) == 0) return;
    if (ours && !kept_) ::unlink(path_.c_str());
    if (kept_) ::unlink(kept_->c_str());
}

}  // namespace vistrel
