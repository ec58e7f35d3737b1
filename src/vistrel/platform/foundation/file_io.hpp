#pragma once
// Whole-file reading and atomic writing.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace platform {

// The file's bytes, or no value when it cannot be opened or is not a regular file.
std::optional<std::string> readFile(const std::filesystem::path& path);

// Writes the bytes to a temporary file in the same folder, flushes it, gives it the
// mode and renames it over the target, so a reader sees the old or the new file,
// never half of one. Creates missing parent folders. False on any failure.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         mode_t mode = 0644);

}  // namespace platform
