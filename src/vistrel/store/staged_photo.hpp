#pragma once
// The photo of a record about to be saved, written so that a save that fails leaves the
// documents folder as it was. The photo is written under its own name by the caller's
// write (the controller's savePicture, which a subclass may keep elsewhere), so a saved
// record never points at a missing photo. A file that already has the name (a record of
// the same identifier, or a photo kept after its record was deleted) is first copied to
// "<name>.tmp-<number>" (the pattern removeStaleTemporaryPhotos clears after a crash,
// fresh so that no other host's clean-up takes it meanwhile) and put back in one rename
// when the record is not saved: it is replaced for good only once the new record is
// saved. A save that fails removes or replaces only what its own write put at the name,
// and only while that is still there.
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <optional>

namespace vistrel {

class StagedPhoto {
public:
    // Keeps what has the name, then writes; none (with nothing left of it) when the write
    // fails or what has the name is not a regular file that can be kept.
    static std::optional<StagedPhoto> write(const std::filesystem::path& path, const std::function<bool()>& write);

    StagedPhoto(StagedPhoto&& other) noexcept;
    StagedPhoto& operator=(StagedPhoto&&) = delete;
    StagedPhoto(const StagedPhoto&) = delete;
    StagedPhoto& operator=(const StagedPhoto&) = delete;
    ~StagedPhoto();  // discards a photo neither kept nor discarded

    // The record is saved: the photo stays, the copy of the file it replaced goes.
    void keep();
    // The record is not saved: what the write put at the name goes, and the file that had
    // the name before takes it again.
    void discard();

    struct Identity {
        dev_t device = 0;
        ino_t inode = 0;
        bool operator==(const Identity&) const = default;
    };

private:
    StagedPhoto(std::filesystem::path path, std::optional<std::filesystem::path> kept, std::optional<Identity> before)
        : path_(std::move(path)), kept_(std::move(kept)), before_(before) {}

    std::filesystem::path path_;
    std::optional<std::filesystem::path> kept_;  // the copy of the file that had the name
    std::optional<Identity> before_;             // that file
    std::optional<Identity> written_;            // what has the name after the write
    bool settled_ = false;
};

}  // namespace vistrel
