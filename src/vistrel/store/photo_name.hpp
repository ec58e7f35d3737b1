#pragma once
// What a photo's name holds ("<name>.jpg" in the documents folder, its record's photo)
// changes here only, and only while the store's write lock is held, after the lookup of
// the records that decides the change, made under that lock. So the hosts sharing the
// folder decide what a name holds one at a time, and what one decided stays true until
// its record is saved or given up: no host ever sets aside, replaces or puts back a photo
// another has just saved. Setting aside what has a name, putting a photo there, putting
// back what was set aside, and the clean-up's restores are all made here; the rest of the
// store hands this the photo it staged beside the name before it took the lock
// ("<name>.staged-<digits>", written whole and flushed), so that no host waits on the lock
// while a photo is encoded or written.
//
// A name is cleared for the photo of a new record only when no record has its identifier:
// what has it then belongs to no record (a photo a deleted record left, one a stopped run
// put there, a link) and is set aside by a rename, never followed or copied, under a name
// that keeps its own modification time (set_aside_photo.hpp), marked as just changed so
// that no clean-up of an earlier version takes it meanwhile. Once the record is saved it
// is dropped; when the record is not saved, what was put at the name goes and what was
// set aside takes the name again, with its own time; a link only goes, never to take a
// photo's name again, and what it points to is never touched. A run stopped at any
// instant leaves at the name what had it or the new photo whole, beside what it set
// aside, which the clean-up of a later opening resolves by the records
// (stale_photo_files.hpp).
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "vistrel/platform/foundation/file_identity.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/store/write_lock.hpp"

namespace vistrel {

inline constexpr std::string_view kStagedPhotoMark = ".staged-";

class PhotoName {
public:
    // Whether a record of the store has the photo's identifier now (none: it cannot be told).
    using RecordedNow = std::function<std::optional<bool>()>;

    // Clears the name at `path` for the photo of a new record, under `lock`, held: what has
    // it is set aside. None, with a line logged and nothing changed, when the lock is no
    // longer held, or when what has it is a folder, or cannot be set aside. `recordedNow`,
    // when given, is asked by giveUp should the lock have been let go meanwhile.
    static std::optional<PhotoName> clear(platform::store::WriteLock& lock, std::filesystem::path path,
                                          RecordedNow recordedNow = {});

    PhotoName(PhotoName&& other) noexcept;
    PhotoName& operator=(PhotoName&&) = delete;
    PhotoName(const PhotoName&) = delete;
    PhotoName& operator=(const PhotoName&) = delete;
    ~PhotoName();  // gives up a photo neither kept nor given up

    // The staged photo takes the cleared name and is flushed into its folder. Should a file
    // have taken the name since it was cleared (one written by a program that takes no
    // lock), it is no record's either, and is set aside in turn. False, with a line
    // logged, when the photo cannot take the name (or the lock is no longer held): it is
    // then removed.
    bool put(platform::PreparedFile staged);
    // The photo's writer (the controller's savePicture, a host's own among them) is done,
    // or has thrown. What it left at the name, when this did not put it there, is its own
    // write, looked at (nothing changes at the name here): it goes should the record not be
    // saved. When it left nothing there (it keeps its photos elsewhere), the name stays
    // free: what was set aside is no record's photo, and goes as the record is saved.
    void written();
    // The record is saved: what was set aside is dropped (the lock may be let go by then:
    // no other host has any business with a set-aside name).
    void keep();
    // The record is not saved: what was written at the name goes, and what was set aside
    // takes it again. Made under the lock, taken again should it have been let go (by a
    // failed save, or by host code); when it cannot be, the folder is left as it is, for
    // the clean-up of a later opening, and a line says so. Should it have been let go,
    // another host may have recorded the identifier meanwhile, with its photo kept
    // elsewhere: the records are asked again (`recordedNow`), and what was set aside, no
    // photo of that record's, goes instead; when they cannot be read, it is left for the
    // clean-up.
    void giveUp();

    // For the clean-up of an opening, under `lock`, held: the file set aside at `aside` takes
    // the name `target` again with its own modification time, only where nothing has it, or
    // over what has it with `replace`. True once it has; false, nothing changed, when the
    // lock is no longer held.
    static bool takeBack(const platform::store::WriteLock& lock, const std::filesystem::path& aside,
                         const std::filesystem::path& target, const std::timespec& modified, bool replace);

private:
    struct SetAside {
        std::filesystem::path path;
        std::timespec modified{};  // its own modification time
        bool isLink = false;
    };
    PhotoName(platform::store::WriteLock& lock, std::filesystem::path path, RecordedNow recordedNow)
        : lock_(&lock), path_(std::move(path)), recordedNow_(std::move(recordedNow)) {}
    // Sets aside what has the name now; false when it cannot (a folder, a failed rename).
    bool setAside();
    // The newest file set aside takes the free name again, and the others go; when it
    // cannot, they are all left for the clean-up.
    void putBackNewest();
    // Drops every file set aside.
    void dropAsides();

    platform::store::WriteLock* lock_;
    std::filesystem::path path_;
    RecordedNow recordedNow_;
    std::vector<SetAside> asides_;  // oldest first
    // What the photo's writer left at the name, told by its device and inode, and held open
    // (never read; a link not followed) until the name is settled: a file held keeps its
    // inode number, so that no file made at the name meanwhile (a program's, once it
    // removed the photo) can be given that number and be taken for the photo.
    std::optional<platform::FileIdentity> written_;
    int heldWritten_ = -1;
    bool settled_ = false;

    // Holds what has the name as the photo's writer's when it is `expected` (any file, for
    // none); otherwise written_ is `expected`, not held.
    void holdWritten(std::optional<platform::FileIdentity> expected);
    void letGoOfWritten();
};

}  // namespace vistrel
