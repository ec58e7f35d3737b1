#pragma once
// Bounded whole-file reading, atomic writing, and the clean-up of what an interrupted
// atomic write leaves behind.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace platform {

// Why a file was not read.
enum class FileReadError {
    missing,         // nothing at the path (or a folder on the way is missing)
    notRegularFile,  // a folder, a FIFO, a socket or a device: refused without opening it
    tooLarge,        // more bytes than the caller's bound (at the look or while reading)
    unreadable,      // no permission, or the system failed the open or a read
};

// A few words for log lines: "missing", "not a regular file", "too large", "unreadable".
std::string_view describe(FileReadError error);

struct FileRead {
    std::optional<std::string> bytes;    // the whole file, at most the bound
    std::optional<FileReadError> error;  // set exactly when `bytes` is not
};

// The one reader of whole files. Never blocks on what is not a regular file: the kind is
// looked at before opening, and the open is non-blocking and checked again with fstat,
// so a FIFO put in place in between is refused too. A file over `maxBytes` is refused
// before any byte is read, and reading stops at maxBytes + 1 should it grow meanwhile.
// Links are followed.
FileRead readFileWithin(const std::filesystem::path& path, std::size_t maxBytes);

// The bytes of readFileWithin, or no value whatever the reason.
std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t maxBytes);

// Writes the bytes to a temporary file in the same folder, flushes it, gives it the
// mode and renames it over the target, so a reader sees the old or the new file,
// never half of one. Creates missing parent folders. False on any failure.
// The temporary is named "<file name>.tmp-<decimal number>".
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         mode_t mode = 0644);

// True for a name writeFileAtomically gives the temporary of a file named `target`:
// exactly "<target>.tmp-" and one to twenty decimal digits.
bool isTemporaryNameOf(std::string_view name, std::string_view target);

// Removes the temporaries of `target` that a run stopped between writing and renaming
// left beside it: only names of that pattern, only directly in the target's folder,
// only regular files (not links), and only those last written before `writtenBefore`
// (a write of this run may be under way). Gives how many went.
std::size_t removeStaleTemporaries(const std::filesystem::path& target,
                                   std::filesystem::file_time_type writtenBefore);

}  // namespace platform
