#pragma once
// Where a write to a path lands when the path is a symbolic link: the file the link names,
// so that a file reached through a link is changed in place of the link's being replaced.
#include <filesystem>
#include <optional>

namespace platform {

// The most links followed, as the system follows them when it opens a path.
inline constexpr int maxLinksFollowed = 40;

// The path with the links at its end followed one after another (a relative target taken
// in the folder of its link): the first that is no link, whether anything is there or
// not. The path itself when it is no link or cannot be looked at. No value for a chain of
// more than maxLinksFollowed links (a loop among them), or a link that cannot be read.
std::optional<std::filesystem::path> linkTarget(const std::filesystem::path& path);

}  // namespace platform
