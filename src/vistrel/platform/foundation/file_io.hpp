#pragma once
// Bounded whole-file reading, atomic writing, and the clean-up of the temporaries that
// stopped writes leave behind.
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <limits>
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

// What the bytes read so far tell of the part of a file wanted: its length once known,
// and until then the most it may take.
struct ContentExtent {
    std::optional<std::size_t> length;
    std::size_t atMost = std::numeric_limits<std::size_t>::max();
};

// The same for a file whose content tells where the part wanted ends (a picture followed
// by anything): `extent` is asked after every read with all the bytes read so far; once
// it gives a length, reading goes on to that length at most, and the bytes are cut there.
// Until then nothing past the most it says the part may take is read (the part ends
// there when the bytes reach it). Room is taken for the part as it may be, never for
// more than the file: once, when an extent that only ever tells less says so. What
// reading costs is then bounded by that part, not by the file's length.
FileRead readFileWithin(const std::filesystem::path& path, std::size_t maxBytes,
                        const std::function<ContentExtent(std::string_view bytes)>& extent);

// The bytes of readFileWithin, or no value whatever the reason.
std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t maxBytes);

// A new name for a temporary of `path`, in the same folder: "<path>.tmp-<random decimal number>".
std::filesystem::path temporaryPathFor(const std::filesystem::path& path);

// Writes the bytes to a temporary file in the same folder (temporaryPathFor), flushes it,
// gives it the mode and renames it over the target, so a reader sees the old or the new
// file, never half of one. Creates missing parent folders. False on any failure.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         mode_t mode = 0644);

// The name of the file whose temporary `name` is: "<target>.tmp-" and one to twenty
// decimal digits gives a non-empty target; any other name gives none.
std::optional<std::string_view> temporaryTargetOf(std::string_view name);

// How old a temporary must be before a clean-up takes it for one that a stopped process
// left. Several processes may share a folder, and one starting later must not remove a
// temporary another is still writing or keeping until it commits; no write holds its
// temporary for minutes.
inline constexpr std::chrono::minutes staleTemporaryAge{15};

// What a clean-up does with a stale temporary: removes it (regular files only), or, in a
// folder where entries are set aside whole under such names (links too) until they are
// put back, renames one whose name nothing has back to it and removes the others (a link
// is never followed: its own entry goes).
enum class StaleTemporaries { remove, restoreWhereTargetIsMissing };

// Clears the temporaries that processes stopped before their rename left in `folder`:
// only names of the pattern above whose target `isTarget` accepts, only directly in the
// folder, as the policy says, and only those last changed at least staleTemporaryAge
// before now on the file system's clock. Gives how many were removed or restored.
std::size_t removeStaleTemporaries(const std::filesystem::path& folder,
                                   const std::function<bool(std::string_view target)>& isTarget,
                                   StaleTemporaries policy = StaleTemporaries::remove);

}  // namespace platform
