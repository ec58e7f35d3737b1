#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it. Its
// process holds it (platform::PrivateFolder: a lock the kernel lets go as the process ends,
// however it ends) while the object lives, so that what a killed run left is told from
// what a live one uses by the lock alone, not by a process number, which another PID
// namespace may give another process. A child started by exec does not share the hold
// (its descriptor closes on exec); one forked shares it, and its end does not let it go:
// the folder stays held while its maker lives, whatever its children do.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "vistrel/platform/foundation/private_folder.hpp"

namespace testsupport {

class TempDir {
public:
    TempDir();
    // A fresh folder in `parent` instead.
    explicit TempDir(const std::filesystem::path& parent);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }
    // Writes a file (creating folders on the way) and gives its path.
    std::filesystem::path write(std::string_view relative, std::string_view bytes) const;

private:
    std::optional<platform::PrivateFolder> held_;
    std::filesystem::path path_;
};

// Removes every folder a TempDir made in `parent` that no process holds: what a run killed
// (past its time, or by a crash) left, which would otherwise stay, in memory until the
// machine restarts. The first folder a process asks for does it once over the memory
// folder, the system's temporary folder and TMPDIR.
void removeFoldersOfGoneRuns(const std::filesystem::path& parent);

// A folder held in memory (a tmpfs) where the machine has one for everyone to write in, else
// the system's temporary folder: for tests that write and flush thousands of small files
// and look only at what processes see of them, never at what a power cut would leave. A
// run given TMPDIR gets that folder instead. A file system in memory never gives a new
// file the inode number of one just removed, as a disk's does: a test of how files are
// told apart by it belongs on a disk folder.
std::filesystem::path memoryBackedTemporaryFolder();

// Sets an environment variable for the life of the object, then restores it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);  // a null value unsets
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    bool had_ = false;
    std::string old_;
};

}  // namespace testsupport
