#include "vistrel/platform/foundation/file_io.hpp"

#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <system_error>
#include <utility>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/digest.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/foundation/random.hpp"

namespace platform {

namespace {

FileRead failed(FileReadError error) { return {std::nullopt, error}; }

FileReadError errorOfLookup(int error) {
    return error == ENOENT || error == ENOTDIR ? FileReadError::missing : FileReadError::unreadable;
}

// The refusals that need no byte of the file, from what stat or fstat told.
std::optional<FileReadError> refusal(const struct stat& st, std::size_t maxBytes) {
    if (!S_ISREG(st.st_mode)) return FileReadError::notRegularFile;
    if (st.st_size < 0 || static_cast<std::uintmax_t>(st.st_size) > maxBytes) return FileReadError::tooLarge;
    return std::nullopt;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

}  // namespace

std::string_view describe(FileReadError error) {
    switch (error) {
    case FileReadError::missing: return "missing";
    case FileReadError::notRegularFile: return "not a regular file";
    case FileReadError::tooLarge: return "too large";
    case FileReadError::unreadable: return "unreadable";
    }
    return "unreadable";
}

FileRead readFileWithin(const std::filesystem::path& path, std::size_t maxBytes) {
    return readFileWithin(path, maxBytes, {});
}

FileInPieces FileInPieces::open(const std::filesystem::path& path, std::size_t maxBytes) {
    const auto refused = [](FileReadError error) { return FileInPieces(-1, 0, error); };
    // Looked at before opening: opening a FIFO waits for a writer, and opening a device
    // may act on it.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return refused(errorOfLookup(errno));
    if (auto refusedHere = refusal(st, maxBytes)) return refused(*refusedHere);

    // The path may name something else by now: the open does not wait, and what was
    // opened is looked at again.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) return refused(errorOfLookup(errno));
    if (::fstat(fd.get(), &st) != 0) return refused(FileReadError::unreadable);
    if (auto refusedHere = refusal(st, maxBytes)) return refused(*refusedHere);
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return refused(FileReadError::unreadable);
    return FileInPieces(fd.release(), static_cast<std::size_t>(st.st_size), std::nullopt);
}

FileInPieces::FileInPieces(FileInPieces&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(other.size_), error_(other.error_) {}

FileInPieces& FileInPieces::operator=(FileInPieces&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        size_ = other.size_;
        error_ = other.error_;
    }
    return *this;
}

FileInPieces::~FileInPieces() {
    if (fd_ >= 0) ::close(fd_);
}

std::optional<std::size_t> FileInPieces::read(char* into, std::size_t count) {
    if (fd_ < 0) return std::nullopt;
    for (;;) {
        const ssize_t n = ::read(fd_, into, count);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) return std::nullopt;
    }
}

bool FileInPieces::readFrom(std::size_t offset) {
    return fd_ >= 0 && offset <= static_cast<std::size_t>(std::numeric_limits<off_t>::max()) &&
           ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

FileRead readFileWithin(const std::filesystem::path& path, std::size_t maxBytes,
                        const std::function<ContentExtent(std::string_view bytes)>& extent) {
    FileInPieces file = FileInPieces::open(path, maxBytes);
    if (file.error()) return failed(*file.error());

    // One byte past the bound tells a file that grew while read from one that ends there.
    const std::size_t limit = maxBytes == std::numeric_limits<std::size_t>::max() ? maxBytes : maxBytes + 1;
    std::string bytes;
    const auto fileSize = file.size();
    if (!extent) bytes.reserve(fileSize);
    std::optional<std::size_t> wantedLength;
    std::size_t atMost = std::numeric_limits<std::size_t>::max();
    char buffer[65536];
    while (bytes.size() < limit) {
        if (extent && !wantedLength && !bytes.empty()) {
            const ContentExtent told = extent(bytes);
            // Nothing past the most the part may take is read, so that its room, taken
            // once, is never outgrown.
            wantedLength = told.length;
            if (!wantedLength && bytes.size() >= told.atMost) wantedLength = told.atMost;
            atMost = told.atMost;
            bytes.reserve(std::min({fileSize, told.atMost, wantedLength.value_or(fileSize)}));
        }
        if (wantedLength && bytes.size() >= *wantedLength) break;
        std::size_t wanted = std::min(sizeof buffer, limit - bytes.size());
        if (wantedLength) wanted = std::min(wanted, *wantedLength - bytes.size());
        else if (atMost > bytes.size()) wanted = std::min(wanted, atMost - bytes.size());
        const auto n = file.read(buffer, wanted);
        if (!n) return failed(FileReadError::unreadable);
        if (*n == 0) break;
        bytes.append(buffer, *n);
    }
    if (wantedLength && bytes.size() > *wantedLength) bytes.resize(*wantedLength);
    if (bytes.size() > maxBytes) return failed(FileReadError::tooLarge);
    return {std::move(bytes), std::nullopt};
}

std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t maxBytes) {
    return readFileWithin(path, maxBytes).bytes;
}

namespace {

// The digits of the largest number a temporary's name takes.
constexpr std::size_t kNumberDigits = 20;
// The fewest digits of the digest a long name's stem keeps: 240 bits.
constexpr std::size_t kLeastDigestDigits = 60;

}  // namespace

std::string temporaryStemOf(std::string_view name, std::string_view mark) {
    if (name.size() + mark.size() + kNumberDigits <= NAME_MAX) return std::string(name);
    // No room for a digest beside so long a mark: the name as it is.
    if (mark.size() + kNumberDigits + 1 + kLeastDigestDigits >= NAME_MAX) return std::string(name);
    // Longer than any name kept whole: a name of this length has its temporaries under
    // its stem, so no temporary of another file has this one's stem before the mark.
    const std::size_t stemLength = NAME_MAX + 1 - mark.size() - kNumberDigits;
    std::size_t kept = stemLength - 1 - kLeastDigestDigits;
    // Not in the middle of a character encoded in UTF-8 (at most three bytes back).
    for (int back = 0; back < 3 && kept > 0 && (static_cast<unsigned char>(name[kept]) & 0xC0) == 0x80; ++back) --kept;
    return concatenate(name.substr(0, kept), ".", sha256Hex(name).substr(0, stemLength - 1 - kept));
}

std::filesystem::path temporaryPathFor(const std::filesystem::path& path, std::string_view mark) {
    std::uint64_t tag = 0;
    randomBytes(&tag, sizeof tag);
    const std::string name = path.filename().native();
    const std::string stem = temporaryStemOf(name, mark);
    std::filesystem::path temporary = path;
    if (stem != name) {
        temporary.replace_filename(stem);
        tag %= 10'000'000'000'000'000'000u;  // 19 digits at most, after the longer stem
    }
    temporary += mark;
    temporary += std::to_string(tag);
    return temporary;
}

bool syncFolderOf(const std::filesystem::path& path) {
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.get() >= 0 && ::fsync(fd.get()) == 0;
}

namespace {

// Puts the temporary at the path's name: over what has it, or, unless `replace`, only
// where nothing has it (by a rename that does not replace, else by a second link).
bool renameIntoPlace(const std::filesystem::path& temporary, const std::filesystem::path& path, bool replace) {
    if (replace) return ::rename(temporary.c_str(), path.c_str()) == 0;
    return renameToAFreeName(temporary, path);
}

}  // namespace

bool renameToAFreeName(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    // A file system that cannot rename so: a link fails where the name is taken too. A run
    // stopped between the link and the unlink leaves two names of one file.
    if ((errno != EINVAL && errno != ENOSYS) || ::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}

std::optional<PreparedFile> PreparedFile::write(const std::filesystem::path& path, std::string_view bytes, mode_t mode,
                                                std::string_view mark) {
    std::error_code ec;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
    if (ec) return std::nullopt;

    std::filesystem::path temporary = temporaryPathFor(path, mark);
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) return std::nullopt;
    fileStep("write: temporary opened");
    bool ok = ::fchmod(fd, mode) == 0;
    // In pieces, so that a run stopped at any instant of a large write is one a test can
    // reproduce: the temporary then holds part of the bytes.
    constexpr std::size_t piece = 256 * 1024;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, std::min(piece, bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
        } else {
            done += static_cast<std::size_t>(n);
            fileStep("write: piece written");
        }
    }
    ok = ok && ::fsync(fd) == 0;
    struct stat st {};
    ok = ok && ::fstat(fd, &st) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok) {
        ::unlink(temporary.c_str());
        return std::nullopt;
    }
    fileStep("write: flushed");
    return PreparedFile(path, std::move(temporary), FileIdentity{st.st_dev, st.st_ino});
}

PreparedFile::PreparedFile(PreparedFile&& other) noexcept
    : path_(std::move(other.path_)), temporary_(std::exchange(other.temporary_, {})), identity_(other.identity_) {}

PreparedFile& PreparedFile::operator=(PreparedFile&& other) noexcept {
    if (this != &other) {
        if (!temporary_.empty()) ::unlink(temporary_.c_str());
        path_ = std::move(other.path_);
        temporary_ = std::exchange(other.temporary_, {});
        identity_ = other.identity_;
    }
    return *this;
}

PreparedFile::~PreparedFile() {
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

bool PreparedFile::putInPlace(bool replace) {
    if (temporary_.empty() || !renameIntoPlace(temporary_, path_, replace)) return false;
    temporary_.clear();
    fileStep("write: renamed");
    return true;
}

PreparedFile::Swap PreparedFile::putInPlaceOf(const std::optional<FileState>& expected) {
    if (temporary_.empty()) return Swap::failed;
    fileStep("write: renaming");
    if (!expected) {
        if (putInPlace(false)) return Swap::inPlace;
        return errno == EEXIST ? Swap::anotherFile : Swap::failed;
    }
    if (::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, path_.c_str(), RENAME_EXCHANGE) != 0) {
        if (errno == ENOENT) return Swap::anotherFile;  // nothing has the name any more
        if (errno != EINVAL && errno != ENOSYS) return Swap::failed;
        return putInPlace() ? Swap::inPlace : Swap::failed;
    }
    // The names exchanged: what had the name has the temporary's now. Until the look below
    // puts it back, another's file displaced here is off its name: a step of its own, so
    // that a test stepping writers against each other can stop a writer there.
    fileStep("write: names exchanged");
    const std::optional<FileState> displaced = entryStateAt(temporary_);
    if (displaced && sameContents(*displaced, *expected)) {
        fileStep("write: renamed");
        return Swap::inPlace;
    }
    // Another's file came in meanwhile: it has its name back, and this file the temporary's,
    // removed with the object. Should yet another have come in between the two exchanges,
    // what has the temporary's name is not this file, and is left there for the clean-up of
    // stale temporaries rather than removed.
    if (::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, path_.c_str(), RENAME_EXCHANGE) != 0 ||
        identityAt(temporary_) != identity_)
        temporary_.clear();
    return Swap::anotherFile;
}

namespace {

bool writeAtomically(const std::filesystem::path& path, std::string_view bytes, mode_t mode, bool replace) {
    std::optional<PreparedFile> file = PreparedFile::write(path, bytes, mode);
    if (!file || !file->putInPlace(replace)) return false;
    // The new file is whole and in place; flushing its folder only makes the rename
    // outlive a power cut, so a failure there does not undo the write.
    syncFolderOf(path);
    return true;
}

}  // namespace

bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes, mode_t mode) {
    return writeAtomically(path, bytes, mode, true);
}

bool writeNewFileAtomically(const std::filesystem::path& path, std::string_view bytes, mode_t mode) {
    return writeAtomically(path, bytes, mode, false);
}

std::optional<std::string_view> temporaryTargetOf(std::string_view name, std::string_view mark) {
    const auto at = name.rfind(mark);
    if (mark.empty() || at == std::string_view::npos || at == 0) return std::nullopt;
    const std::string_view number = name.substr(at + mark.size());
    if (number.empty() || number.size() > 20 ||
        !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return name.substr(0, at);
}

bool isPastStaleAge(const std::timespec& time) {
    // One clock for every caller: the file system's (real time), read now, against the
    // times it wrote.
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const auto staleSeconds = std::chrono::duration_cast<std::chrono::seconds>(staleTemporaryAge).count();
    return time.tv_sec <= now.tv_sec - staleSeconds;
}

std::vector<StaleTemporary> staleTemporaries(const std::filesystem::path& folder, std::string_view mark,
                                             const std::function<bool(std::string_view target)>& isTarget,
                                             bool withLinks) {
    return staleTemporaries(
        folder,
        [&](std::string_view name) -> std::optional<std::string_view> {
            const auto target = temporaryTargetOf(name, mark);
            if (target && isTarget(*target)) return target;
            return std::nullopt;
        },
        withLinks);
}

std::vector<StaleTemporary> staleTemporaries(
    const std::filesystem::path& folder,
    const std::function<std::optional<std::string_view>(std::string_view name)>& targetOf, bool withLinks) {
    std::vector<StaleTemporary> found;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const auto& path = it->path();
        const std::string name = path.filename().native();
        const auto target = targetOf(name);
        if (!target) continue;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !(S_ISREG(st.st_mode) || (withLinks && S_ISLNK(st.st_mode)))) continue;
        if (!isPastStaleAge(st.st_mtim)) continue;
        found.push_back({path, std::string(*target), S_ISLNK(st.st_mode), st.st_atim});
    }
    return found;
}

std::size_t removeStaleTemporaries(const std::filesystem::path& folder,
                                   const std::function<bool(std::string_view target)>& isTarget) {
    std::size_t removed = 0;
    for (const StaleTemporary& stale : staleTemporaries(folder, temporaryMark, isTarget, false))
        removed += ::unlink(stale.path.c_str()) == 0;
    return removed;
}

}  // namespace platform
