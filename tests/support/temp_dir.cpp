#include "support/temp_dir.hpp"

#include <linux/magic.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <string_view>

namespace testsupport {

TempDir::TempDir() : TempDir(std::filesystem::temp_directory_path()) {}

namespace {

constexpr std::string_view kPrefix = "vistrel-test-";

// The process that made a folder of that name ("vistrel-test-<pid>-XXXXXX"); 0 for another name.
pid_t makerOf(std::string_view name) {
    if (!name.starts_with(kPrefix)) return 0;
    name.remove_prefix(kPrefix.size());
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    return error == std::errc() && end != name.data() && *end == '-' ? pid : 0;
}

// Removes the folders that processes of this user's, gone since, left in `parent`: a test
// killed (past its time, or by a crash) never removes its own, and a folder in memory
// would stay until the machine restarts.
void removeWhatGoneRunsLeft(const std::filesystem::path& parent) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(parent, ec)) {
        const pid_t maker = makerOf(entry.path().filename().native());
        struct stat st {};
        if (maker <= 0 || ::lstat(entry.path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        if (::kill(maker, 0) != 0 && errno == ESRCH) std::filesystem::remove_all(entry.path(), ec);
    }
}

}  // namespace

TempDir::TempDir(const std::filesystem::path& parent) {
    std::string pattern = (parent / (std::string(kPrefix) + std::to_string(::getpid()) + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    // Resolved, so that a path a test builds equals the one the kit resolves.
    path_ = std::filesystem::canonical(pattern);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::filesystem::path TempDir::write(std::string_view relative, std::string_view bytes) const {
    auto file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
}

std::filesystem::path memoryBackedTemporaryFolder() {
    // A run told where its temporary files go (TMPDIR) keeps them there, on whatever it is.
    if (const char* given = std::getenv("TMPDIR"); given && *given) return std::filesystem::temp_directory_path();
    struct statfs fs {};
    const char* shared = "/dev/shm";
    if (::statfs(shared, &fs) != 0 || fs.f_type != TMPFS_MAGIC || ::access(shared, W_OK | X_OK) != 0)
        return std::filesystem::temp_directory_path();
    static std::once_flag swept;
    std::call_once(swept, [&] { removeWhatGoneRunsLeft(shared); });
    return shared;
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
