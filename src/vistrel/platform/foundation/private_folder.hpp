#pragma once
// A folder of one process's own for as long as it needs it: made fresh, by a name no other
// process gives (mkdtemp, readable by its owner alone), and held (flock on the folder) while
// its object lives. No other process names entries in it, so a file found there to be a
// regular file stays one: a hard link made there to a file someone else may swap by its
// name is looked at once, and then opened without any risk of blocking on a FIFO or a
// device; so is a copy, where no link can be made. Its object removes it, with the files
// in it; one left by a process stopped dead is held by no one, and goes at the next look
// (removeIfLeft).
#include <sys/types.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace platform {

class PrivateFolder {
public:
    // A new folder "<parent>/<mark>XXXXXX" (six random characters); none when it cannot be
    // made, or held.
    static std::optional<PrivateFolder> make(const std::filesystem::path& parent, std::string_view mark);

    // Removes `folder`, one `make` made, with the files in it, when no object holds it (its
    // process was stopped dead). What is in it beside files, and then the folder, is left;
    // so is anything at that name that is no folder.
    static void removeIfLeft(const std::filesystem::path& folder);
    // Takes over `folder`, one `make` made, when no object holds it (its process was stopped
    // dead): the object given holds it from then on, and removes it as any other does, so
    // that its taker may first remove what else is in it. None when it is held, or no folder.
    static std::optional<PrivateFolder> takeIfLeft(const std::filesystem::path& folder);

    PrivateFolder(PrivateFolder&& other) noexcept;
    PrivateFolder& operator=(PrivateFolder&& other) noexcept;
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    // Removes the folder, with the files in it.
    ~PrivateFolder();

    const std::filesystem::path& path() const { return path_; }

    enum class Linked {
        regularFile,      // the link (or copy) is a regular file
        missing,          // nothing has the name `file`
        notRegularFile,   // what has it is no regular file (a FIFO, a folder, a symbolic link...): none left
        otherFileSystem,  // no link: `file` is on another file system than the folder
        failed,           // no link (none allowed, too many, a full disk), or no copy (see copy)
    };
    // Makes `name` in the folder a hard link to `file` itself (a symbolic link is never
    // followed): the same file, whatever becomes of its name meanwhile. Only a regular file
    // stays linked, so that whatever the folder holds can be opened without blocking.
    Linked link(const std::filesystem::path& file, std::string_view name);

    // Makes `name` in the folder a copy of the regular file `file` (a symbolic link is never
    // followed), for a file that cannot be linked. The file is opened so that no open can
    // block (non-blocking, never through a link) and looked at as a regular file before any
    // byte is read ("copy: opened" is told to the file step observer then), and copied by
    // the kernel in parts, each begun before `deadline`. Failed, and nothing left, when a part
    // fails (a full disk), `deadline` passes, or the file changed meanwhile: its name no
    // longer the file copied, or its size or modification time other than before the copy
    // (a live writer's file is not known by a copy).
    Linked copy(const std::filesystem::path& file, std::string_view name,
                std::chrono::steady_clock::time_point deadline);
    // Whether every file copied so far is still, by its name, the file copied, of the size
    // and modification time it had: copies of files that change together (a store and its
    // journals) are of one instant only when none changed once all were made.
    bool copiesUnchanged() const;

    // Removes the files in the folder (what was linked or copied), keeping the folder.
    void removeFiles();

private:
    PrivateFolder(std::filesystem::path path, int fd) : path_(std::move(path)), fd_(fd) {}
    // A file copied, as it was before its copy.
    struct Copied {
        std::filesystem::path file;
        dev_t device;
        ino_t inode;
        off_t size;
        std::timespec modified;
    };
    std::filesystem::path path_;
    int fd_ = -1;
    std::vector<Copied> copies_;
};

}  // namespace platform
