#include "vistrel/platform/foundation/set_aside.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

#include "vistrel/platform/foundation/concatenate.hpp"

namespace platform {

namespace {

// Far more copies than one second of starts can set aside.
constexpr int kMostNamesTried = 1000;

std::string utcNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    return std::string(text, std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts));
}

// Renames without replacing: 0, or the error (EEXIST when the name is taken).
int renameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system that cannot refuse to replace in a rename refuses a taken name for a
    // new link; the old name then goes (were it to stay, the file would only have two).
    if (::link(from.c_str(), to.c_str()) != 0) return errno;
    ::unlink(from.c_str());
    return 0;
}

}  // namespace

std::optional<std::filesystem::path> setAside(const std::filesystem::path& path, std::string_view label,
                                              std::error_code& error) {
    const std::string stem = concatenate(path.native(), ".", label, "-", utcNow());
    for (int attempt = 1; attempt <= kMostNamesTried; ++attempt) {
        const std::filesystem::path aside = attempt > 1 ? concatenate(stem, "-", std::to_string(attempt)) : stem;
        const int result = renameWithoutReplacing(path, aside);
        if (result == 0) {
            error.clear();
            return aside;
        }
        if (result != EEXIST) {
            error.assign(result, std::generic_category());
            return std::nullopt;
        }
    }
    error = std::make_error_code(std::errc::file_exists);
    return std::nullopt;
}

}  // namespace platform
