#pragma once
// Bounded whole-file reading, atomic writing, and the clean-up of the temporaries that
// stopped writes leave behind.
#include <chrono>
#include <ctime>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <utility>
#include <vector>

#include "vistrel/platform/foundation/file_identity.hpp"
#include "vistrel/platform/foundation/file_state.hpp"

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

// A file opened as readFileWithin opens it (a regular file of at most `maxBytes`, looked
// at before opening and opened without blocking), for a reader that takes it in pieces,
// from its start or from where it sets the reading on. It is closed with the object.
class FileInPieces {
public:
    static FileInPieces open(const std::filesystem::path& path, std::size_t maxBytes);
    FileInPieces(FileInPieces&& other) noexcept;
    FileInPieces& operator=(FileInPieces&& other) noexcept;
    FileInPieces(const FileInPieces&) = delete;
    FileInPieces& operator=(const FileInPieces&) = delete;
    ~FileInPieces();

    // Set when the file was not opened.
    std::optional<FileReadError> error() const { return error_; }
    // Its length when it was opened.
    std::size_t size() const { return size_; }
    // Reads at most `count` bytes into `into` from where reading is: how many (0 at the
    // end of the file), or none when the system fails the read.
    std::optional<std::size_t> read(char* into, std::size_t count);
    // Reading goes on at `offset` from the start. False when it cannot.
    bool readFrom(std::size_t offset);

private:
    FileInPieces(int fd, std::size_t size, std::optional<FileReadError> error)
        : fd_(fd), size_(size), error_(error) {}
    int fd_ = -1;
    std::size_t size_ = 0;
    std::optional<FileReadError> error_;
};

// The bytes of readFileWithin, or no value whatever the reason.
std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t maxBytes);

// The mark of the temporaries an atomic write makes: "<target>.tmp-<number>".
inline constexpr std::string_view temporaryMark = ".tmp-";

// What a temporary of the file named `name` is named before its mark: the name itself
// where the temporary's name, with a number of 20 digits, keeps to the 255 bytes a name
// may have (NAME_MAX). A longer name has its first bytes (cut between characters), a dot
// and the SHA-256 digest of the whole name in hexadecimal digits (60 or more) instead,
// one byte longer than any name kept whole with that mark, so that it is no other file's
// own name, and the temporary's number has 19 digits at most.
std::string temporaryStemOf(std::string_view name, std::string_view mark = temporaryMark);

// A new name for a temporary of `path`, in the same folder: "<stem><mark><random decimal
// number>" (temporaryStemOf; for a name of 230 bytes or fewer, "<path>.tmp-<number>").
// Other marks name other kinds of temporaries (a file set aside whole, say), so that a
// clean-up tells them apart.
std::filesystem::path temporaryPathFor(const std::filesystem::path& path, std::string_view mark = temporaryMark);

// Writes the bytes to a temporary file in the same folder (temporaryPathFor), in pieces of
// 256 KiB, flushes it, gives it the mode and renames it over the target, so a reader sees
// the old or the new file, never half of one; then flushes the folder, so that the rename
// outlives a power cut. Creates missing parent folders. False on any failure before the
// rename. Each step is told to the file step observer (file_steps.hpp).
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes, mode_t mode = 0644);

// The same, but the file is put in place only where nothing has the name: false, and
// what has it left as it is, when something does (another process that wrote it first).
bool writeNewFileAtomically(const std::filesystem::path& path, std::string_view bytes, mode_t mode = 0644);

// The two halves of such a write, for a writer that looks at the target once more just
// before the rename: the new file written whole beside it and flushed, then put in place.
// The temporary goes with the object unless it was put in place.
class PreparedFile {
public:
    // Writes and flushes the temporary (the steps up to "write: flushed"), named with the
    // mark (temporaryPathFor), creating missing parent folders; none on any failure,
    // nothing left behind.
    static std::optional<PreparedFile> write(const std::filesystem::path& path, std::string_view bytes, mode_t mode,
                                             std::string_view mark = temporaryMark);
    PreparedFile(PreparedFile&& other) noexcept;
    PreparedFile& operator=(PreparedFile&& other) noexcept;
    PreparedFile(const PreparedFile&) = delete;
    PreparedFile& operator=(const PreparedFile&) = delete;
    ~PreparedFile();

    // The file written: one that has the target's name is this one.
    const FileIdentity& identity() const { return identity_; }
    // Renames it over the target, or without `replace` only where nothing has the name,
    // and tells "write: renamed". The folder is not flushed here (syncFolderOf): a caller
    // that holds a lock across the rename flushes it after. False when the rename failed.
    bool putInPlace(bool replace = true);

    // How putInPlaceOf went.
    enum class Swap {
        inPlace,      // in place of the file expected
        anotherFile,  // another file had the name (or none had it): nothing changed there
        failed,       // the system failed the rename
    };
    // Puts it in place only of the file `expected` tells (none: only where nothing has the
    // name), as the rename itself finds it: the file the rename displaces is looked at, and
    // any other (one a writer renamed in while this rename waited for the folder) is put
    // back at once. The file displaced goes with the object, so that freeing it (a
    // journal's time) comes after whatever lock the caller holds across this. Tells
    // "write: renaming" before the rename, "write: names exchanged" between the exchange and
    // the look at what it displaced, and "write: renamed" once in place. A file
    // system that cannot exchange two names has the file renamed over whatever is there
    // then.
    Swap putInPlaceOf(const std::optional<FileState>& expected);

private:
    PreparedFile(std::filesystem::path path, std::filesystem::path temporary, FileIdentity identity)
        : path_(std::move(path)), temporary_(std::move(temporary)), identity_(identity) {}
    // temporary_ is the name to remove with the object: the file's own until it is put in
    // place, then the one putInPlaceOf left the displaced file at, or none.
    std::filesystem::path path_, temporary_;
    FileIdentity identity_;
};

// Renames `from` to `to` only where nothing has that name; false, errno EEXIST, where
// something has it. The folder is not flushed.
bool renameToAFreeName(const std::filesystem::path& from, const std::filesystem::path& to);

// Flushes the folder that holds `path` to its disk, so that the names just given in it
// (renames, links) outlive a power cut. False when it cannot be opened or flushed.
bool syncFolderOf(const std::filesystem::path& path);

// The name of the file whose temporary `name` is: "<target><mark>" and one to twenty
// decimal digits gives a non-empty target; any other name gives none. For a file whose
// name is too long to be kept whole in its temporaries' names, the target is its stem
// (temporaryStemOf).
std::optional<std::string_view> temporaryTargetOf(std::string_view name, std::string_view mark = temporaryMark);

// How old a temporary must be before a clean-up takes it for one that a stopped process
// left. Several processes may share a folder, and one starting later must not remove a
// temporary another is still writing or keeping until it commits; no write holds its
// temporary for minutes.
inline constexpr std::chrono::minutes staleTemporaryAge{15};

// True for a time of the file system (a modification time, say) at least
// staleTemporaryAge before now on the file system's clock (real time).
bool isPastStaleAge(const std::timespec& time);

// A temporary that a stopped process left, as staleTemporaries found it.
struct StaleTemporary {
    std::filesystem::path path;
    std::string target;  // the name, in the same folder, of the file it is a temporary of
    bool isLink = false;
    std::timespec accessed{};  // its own access time (a link's, not its target's)
};

// The temporaries of `folder` with the mark whose target `isTarget` accepts: only directly
// in the folder, only regular files (and links, their own entries, never followed, when
// `withLinks`), and only those last changed at least staleTemporaryAge before now on the
// file system's clock. What is done with them is the caller's.
std::vector<StaleTemporary> staleTemporaries(const std::filesystem::path& folder, std::string_view mark,
                                             const std::function<bool(std::string_view target)>& isTarget,
                                             bool withLinks);

// The same for temporaries named otherwise: `targetOf` gives the target a name is a
// temporary of, or none for a name that is not one.
std::vector<StaleTemporary> staleTemporaries(
    const std::filesystem::path& folder,
    const std::function<std::optional<std::string_view>(std::string_view name)>& targetOf, bool withLinks);

// Removes the stale temporaries of atomic writes (regular files named with temporaryMark)
// whose target `isTarget` accepts, as staleTemporaries finds them. Gives how many went.
std::size_t removeStaleTemporaries(const std::filesystem::path& folder,
                                   const std::function<bool(std::string_view target)>& isTarget);

}  // namespace platform
