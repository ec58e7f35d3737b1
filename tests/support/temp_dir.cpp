#include "support/temp_dir.hpp"

#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace testsupport {

namespace {

// The mark of a TempDir's name. Folders an earlier kind of TempDir made
// ("vistrel-test-<pid>-XXXXXX"), which held no lock, never bear it: one of a live run of
// an older build would look gone.
constexpr std::string_view kMark = "vistrel-test-held-";

// Removes what is in `folder`, leaving the folder.
void removeInside(const std::filesystem::path& folder) {
    std::error_code ec;
    std::vector<std::filesystem::path> entries;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) entries.push_back(entry.path());
    for (const auto& entry : entries) std::filesystem::remove_all(entry, ec);
}

// The memory folder everyone may write in, if the machine has one.
std::optional<std::filesystem::path> sharedMemoryFolder() {
    struct statfs fs {};
    const char* shared = "/dev/shm";
    if (::statfs(shared, &fs) != 0 || fs.f_type != TMPFS_MAGIC || ::access(shared, W_OK | X_OK) != 0)
        return std::nullopt;
    return shared;
}

// Once per process, before its first folder: what gone runs left where TempDirs are made.
void removeWhatGoneRunsLeftOnce() {
    static std::once_flag swept;
    std::call_once(swept, [] {
        std::set<std::filesystem::path> parents{"/tmp"};
        std::error_code ec;
        if (const auto given = std::filesystem::temp_directory_path(ec); !ec) parents.insert(given);
        if (const auto shared = sharedMemoryFolder()) parents.insert(*shared);
        for (const auto& parent : parents) removeFoldersOfGoneRuns(parent);
    });
}

}  // namespace

void removeFoldersOfGoneRuns(const std::filesystem::path& parent) {
    std::error_code ec;
    std::vector<std::filesystem::path> marked;
    for (const auto& entry : std::filesystem::directory_iterator(parent, ec))
        if (entry.path().filename().native().starts_with(kMark)) marked.push_back(entry.path());
    for (const auto& folder : marked) {
        // Only this user's: another's is none of its business.
        struct stat st {};
        if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) continue;
        // Held by this process from here on, so that no other takes it meanwhile; the
        // folder itself goes as the hold does.
        if (auto left = platform::PrivateFolder::takeIfLeft(folder)) removeInside(left->path());
    }
}

TempDir::TempDir() : TempDir(std::filesystem::temp_directory_path()) {}

TempDir::TempDir(const std::filesystem::path& parent) {
    removeWhatGoneRunsLeftOnce();
    held_ = platform::PrivateFolder::make(parent, kMark);
    if (!held_) throw std::runtime_error("no folder could be made and held in " + parent.string());
    // Resolved, so that a path a test builds equals the one the kit resolves.
    path_ = std::filesystem::canonical(held_->path());
}

TempDir::~TempDir() {
    // The folder itself goes with its hold.
    removeInside(path_);
}

std::filesystem::path TempDir::write(std::string_view relative, std::string_view bytes) const {
    auto file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
}

std::filesystem::path memoryBackedTemporaryFolder() {
    removeWhatGoneRunsLeftOnce();
    // A run told where its temporary files go (TMPDIR) keeps them there, on whatever it is.
    if (const char* given = std::getenv("TMPDIR"); given && *given) return std::filesystem::temp_directory_path();
    return sharedMemoryFolder().value_or(std::filesystem::temp_directory_path());
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) {
        had_ = true;
        old_ = old;
    }
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
    if (had_)
        setenv(name_.c_str(), old_.c_str(), 1);
    else
        unsetenv(name_.c_str());
}

}  // namespace testsupport
