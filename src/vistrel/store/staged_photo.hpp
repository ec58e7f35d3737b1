#pragma once
// The photo of a record about to be saved, written so that a save that fails leaves the
// documents folder as it was, and so that a run stopped at any instant (a kill, a power
// cut) leaves at the name what was there before or the new photo whole. The photo is
// written under its own name by the caller's write (the controller's savePicture, which a
// subclass may write its own way or keep elsewhere), so a saved record never points at a
// missing photo. Whatever already has the name (the photo of a record of the same
// identifier, a photo kept after its record was deleted, a link) is first set aside by
// renaming it, never followed or copied, to a name of its own that keeps its modification
// time (set_aside_photo.hpp), apart from the writes in progress ("<name>.tmp-<number>").
// It is then marked as just changed, so that no clean-up of a host sharing the folder
// takes it meanwhile; when that mark cannot be set it takes its name again and nothing is
// written. The write therefore always makes a new file, even one that writes in place.
// When the record is not saved, or the write fails or throws, and the name still holds
// what this write left (or nothing), what was set aside takes its name again, with its
// own time; a file another host wrote since is left alone. A link set aside never takes a
// photo's name again: only the link goes, never what it points to, so that no photo is
// ever read through one.
//
// The kit's own write does not put the photo at the name: it writes it beside it, whole
// and flushed, under a staged name ("<name>.staged-<number>"), and the caller puts it in
// place (putInPlace) once it holds the store's write lock and knows the record is to be
// saved. So the name only ever changes under that lock, and no host waits on the lock
// while a photo is encoded or written. A staged photo a stopped run left is no record's.
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

#include "vistrel/platform/foundation/file_identity.hpp"
#include "vistrel/platform/foundation/file_io.hpp"

namespace vistrel {

inline constexpr std::string_view kStagedPhotoMark = ".staged-";

class StagedPhoto {
public:
    // Sets aside what has the name, then writes; none (with what was set aside back) when
    // the write fails or what has the name is a folder, or cannot be set aside. An
    // exception of the write passes on, with what was set aside back as for a failure.
    static std::optional<StagedPhoto> write(const std::filesystem::path& path, const std::function<bool()>& write);

    StagedPhoto(StagedPhoto&& other) noexcept;
    StagedPhoto& operator=(StagedPhoto&&) = delete;
    StagedPhoto(const StagedPhoto&) = delete;
    StagedPhoto& operator=(const StagedPhoto&) = delete;
    ~StagedPhoto();  // discards a photo neither kept nor discarded

    // The write staged its photo beside the name (`staged`) and put nothing at the name
    // itself: whatever has the name now is another host's. The staged photo is this one's
    // to put in place, or to remove when it is discarded.
    void adoptStaged(platform::PreparedFile staged);
    // The staged photo, if any, takes the name, where nothing took it since what had it
    // was set aside. False, with the staged photo removed and a line logged, when it
    // cannot; the photo is then discarded as for a failed write.
    bool putInPlace();
    // The record is saved: the photo stays and what it replaced goes. When the write put
    // nothing at the name (its photo is kept elsewhere), what was set aside takes it again.
    void keep();
    // The record is not saved: what the write put at the name goes, and what had the name
    // before takes it again.
    void discard();

private:
    struct SetAside {
        std::filesystem::path path;
        std::timespec modified{};  // its own modification time
        bool isLink = false;
    };
    StagedPhoto(std::filesystem::path path, std::optional<SetAside> aside)
        : path_(std::move(path)), aside_(std::move(aside)) {}
    // The write, once what had the name is set aside (none: nothing had it).
    static std::optional<StagedPhoto> writeOver(const std::filesystem::path& path, std::optional<SetAside> aside,
                                                const std::function<bool()>& write);
    // What was set aside takes the name again, replacing what is there; a link only goes.
    void putBack();
    // Removes what was set aside: what it was set aside for has the name now.
    void removeAside();

    std::filesystem::path path_;
    std::optional<SetAside> aside_;
    std::optional<platform::FileIdentity> written_;  // what has the name after the write; none: nothing
    std::optional<platform::PreparedFile> staged_;  // written beside the name, not yet in place
    bool settled_ = false;
};

}  // namespace vistrel
