#pragma once
// What a look at a file tells of its bytes (which file it is, its size, when it last
// changed), and when such a look can be trusted: a write's times are stamped from a
// clock that moves in steps, as the write begins, so a file changed within the current
// step may change again, or still be changing, with its look the same.
#include <sys/types.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <optional>

namespace platform {

struct FileState {
    dev_t device;
    ino_t inode;
    off_t size;
    timespec modified, changed;
    friend bool operator==(const FileState& a, const FileState& b);
};

// The state of the file a path names, links followed; none when nothing has the name or
// it cannot be looked at.
std::optional<FileState> stateAt(const std::filesystem::path& path);
// The same of what has the name itself: a link is not followed.
std::optional<FileState> entryStateAt(const std::filesystem::path& path);

// Whether two looks saw one file with the same contents, whatever else of it changed
// since (its place or its mode): the same file, of the same size, last written at the
// same time.
bool sameContents(const FileState& a, const FileState& b);

// The step of the clock that stamps the times of files: the kernel's coarse real-time
// clock, whose resolution is its tick (4 ms at 250 ticks a second). Kept within 1 to 20 ms.
std::chrono::nanoseconds fileTimeStep();

// A look at a file that no write can be under way in, nor come unseen: its contents last
// changed before anything else of it did (a file written whole, then renamed into place:
// a write stamps both times alike), or its last change is a step of that clock old. A file
// changed later is looked at again once the change is that old, which takes a few steps
// at most, told to the file step observer first ("look: waiting for a change to settle");
// `settled` is false when it changed again meanwhile. Nothing at the path is settled.
struct SettledLook {
    std::optional<FileState> state;
    bool settled = true;
};
SettledLook settledStateAt(const std::filesystem::path& path);

}  // namespace platform
