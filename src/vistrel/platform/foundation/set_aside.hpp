#pragma once
// Moving a file aside for whoever wants to look at it later, without ever replacing
// another file: each copy set aside keeps a name of its own.
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

namespace platform {

// Renames what is at `path` (a link itself, not followed) to a name beside it that nothing
// holds yet: "<path>.<label>-<UTC date and time>" ("p.plist.damaged-20260107T101500Z"),
// and "-2", "-3"... after it while that is taken, whatever other process makes names
// there meanwhile. Gives the new path, or no value and `error` when the file stays where
// it was.
std::optional<std::filesystem::path> setAside(const std::filesystem::path& path, std::string_view label,
                                              std::error_code& error);

}  // namespace platform
