#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it. Its
// name tells the process that made it ("vistrel-test-<pid>-XXXXXX").
#include <filesystem>
#include <string>
#include <string_view>

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
    std::filesystem::path path_;
};

// A folder held in memory (a tmpfs) where the machine has one for everyone to write in, else
// the system's temporary folder: for tests that write and flush thousands of small files
// and look only at what processes see of them, never at what a power cut would leave. A
// run given TMPDIR gets that folder instead. In the memory folder, what processes gone
// since left there (a test killed past its time) is removed as the first folder is asked
// for: it would otherwise stay until the machine restarts. A file system in memory never
// gives a new file the inode number of one just removed, as a disk's does: a test of how
// files are told apart by it belongs on a disk folder.
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
