#pragma once
// A file given as many hard links as its file system allows, so that no other can be made
// (EMLINK): a real cause of a failed link, as on a file system without hard links or
// another one than the folder linked into, that needs no privilege and leaves renames
// working. A disk's file system has such a bound (65,000 links on ext4); one in memory
// (a tmpfs) allows more than a test can make.
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>

namespace testsupport {

inline constexpr int kMostLinksMade = 100'000;

// Links `file` into `folder` (made, on the file's file system) until one more is refused:
// true once one was, for too many links; false where kMostLinksMade were made.
inline bool linkToTheLimit(const std::filesystem::path& file, const std::filesystem::path& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    for (int i = 0; i < kMostLinksMade; ++i)
        if (::link(file.c_str(), (folder / std::to_string(i)).c_str()) != 0) return errno == EMLINK;
    return false;
}

}  // namespace testsupport
