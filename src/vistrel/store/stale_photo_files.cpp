#include "vistrel/store/stale_photo_files.hpp"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "vistrel/platform/foundation/file_identity.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/graphics/picture_ends.hpp"
#include "vistrel/store/picture_file_name.hpp"
#include "vistrel/store/set_aside_photo.hpp"
#include "vistrel/store/staged_photo.hpp"
#include "vistrel/store/vistrel_image.hpp"

namespace vistrel {

namespace {

using platform::StaleTemporary;

constexpr std::string_view kPhotoExtension = ".jpg";

// "<name>.jpg": a photo's name, not ".jpg" alone.
bool isPhotoName(std::string_view name) {
    return name.size() > kPhotoExtension.size() && name.ends_with(kPhotoExtension);
}

bool isNameFree(const std::filesystem::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) != 0 && errno == ENOENT;
}

// A set-aside photo's own modification time, kept in its name (or, by an earlier version,
// as its access time) while it was aside.
void restoreOwnTime(const StaleTemporary& aside) {
    const auto name = readSetAsideName(aside.path.filename().native());
    restoreSetAsideTime(aside.path, name && name->modified ? *name->modified : aside.accessed);
}

// The photo a set-aside name is of; none for any other name.
std::optional<std::string_view> setAsidePhotoOf(std::string_view name) {
    const auto read = readSetAsideName(name);
    if (read && isPhotoName(read->target)) return read->target;
    return std::nullopt;
}

// Gives the entry its name at once, never over a file that took the name meanwhile.
bool takeFreeName(const StaleTemporary& stale, const std::filesystem::path& target) {
    if (::renameat2(AT_FDCWD, stale.path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without that rename: a second name, then its own goes (a run stopped
    // in between leaves two names of one file, which the next start resolves).
    return ::link(stale.path.c_str(), target.c_str()) == 0 && ::unlink(stale.path.c_str()) == 0;
}

// True for a regular file that starts and ends as a whole JPEG or PNG does; only its
// first and last few bytes are read.
bool endsAsAWholePicture(const std::filesystem::path& path) {
    namespace graphics = platform::graphics;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    std::array<char, graphics::wholePictureHeadBytes> head{};
    std::array<char, graphics::wholePictureTailBytes> tail{};
    bool read = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    const auto size = read ? static_cast<std::size_t>(st.st_size) : 0;
    const std::size_t headBytes = std::min(head.size(), size), tailBytes = std::min(tail.size(), size);
    read = read && ::pread(fd, head.data(), headBytes, 0) == static_cast<ssize_t>(headBytes) &&
           ::pread(fd, tail.data(), tailBytes, static_cast<off_t>(size - tailBytes)) == static_cast<ssize_t>(tailBytes);
    ::close(fd);
    return read && graphics::startsAndEndsWhole({head.data(), headBytes}, {tail.data(), tailBytes}, size);
}

// The photo names among `names` that a record's photo has; none when the records cannot
// be read. Only the records of those names are fetched when every name is a plain
// identifier's; a digest name needs them all. Of each, the identifier alone is read.
std::optional<std::set<std::string>> recordedPhotoNames(platform::store::ManagedObjectContext& context,
                                                        const std::vector<std::string>& names) {
    platform::store::FetchRequest request = VistrelImage::fetchRequest();
    request.propertiesToFetch = std::vector<std::string>{"identifier"};
    platform::store::Predicate byIdentifier{"identifier", {}};
    bool everyNamePlain = true;
    for (const auto& name : names) {
        std::string identifier = name.substr(0, name.size() - kPhotoExtension.size());
        if (pictureFileName(identifier) == name) byIdentifier.anyOf.emplace_back(std::move(identifier));
        else everyNamePlain = false;
    }
    if (everyNamePlain) request.predicate = std::move(byIdentifier);
    const auto objects = context.execute(request);
    if (!objects) return std::nullopt;
    std::set<std::string> recorded;
    for (const auto& object : *objects)
        if (auto image = std::dynamic_pointer_cast<VistrelImage>(object))
            if (auto identifier = image->identifier()) recorded.insert(pictureFileName(*identifier));
    return recorded;
}

}  // namespace

bool isTemporaryPhotoName(std::string_view name) {
    for (const auto mark : {platform::temporaryMark, kStagedPhotoMark})
        if (const auto written = platform::temporaryTargetOf(name, mark); written && isPhotoName(*written)) return true;
    return setAsidePhotoOf(name).has_value();
}

std::size_t clearStalePhotoFiles(const std::filesystem::path& folder, platform::store::ManagedObjectContext& context) {
    std::size_t cleared = 0;
    // Photos set aside whole: each is the only copy of a photo until it is known that the
    // record of its replacement was saved.
    std::vector<StaleTemporary> nameTaken;
    for (auto& aside : platform::staleTemporaries(folder, setAsidePhotoOf, true)) {
        const auto target = folder / aside.target;
        if (aside.isLink) {
            cleared += ::unlink(aside.path.c_str()) == 0;  // never a photo's name
        } else if (isNameFree(target)) {
            restoreOwnTime(aside);
            cleared += takeFreeName(aside, target);
        } else {
            nameTaken.push_back(std::move(aside));
        }
    }
    if (!nameTaken.empty()) {
        std::vector<std::string> names;
        for (const auto& aside : nameTaken) names.push_back(aside.target);
        const auto recorded = recordedPhotoNames(context, names);
        for (const auto& aside : nameTaken) {
            if (!recorded) break;  // which run saved what cannot be told: left for a later start
            const auto target = folder / aside.target;
            if (recorded->contains(aside.target) || platform::isSameEntry(aside.path, target)) {
                cleared += ::unlink(aside.path.c_str()) == 0;
                continue;
            }
            // No record has the new photo: what had the name before takes it again, unless
            // what has it now was changed lately, by a live save of another host sharing
            // the folder, whose record may be about to be saved.
            struct stat now {};
            if (::lstat(target.c_str(), &now) != 0 || !platform::isPastStaleAge(now.st_mtim)) continue;
            restoreOwnTime(aside);
            cleared += ::rename(aside.path.c_str(), target.c_str()) == 0;
        }
    }
    // Photos being written: half of one, or a whole one whose record was never saved. A
    // link there goes too: whoever left it, it never takes a photo's name.
    for (const auto& written : platform::staleTemporaries(folder, platform::temporaryMark, isPhotoName, true)) {
        const auto target = folder / written.target;
        const bool setAsideByAnEarlierVersion =
            !written.isLink && isNameFree(target) && endsAsAWholePicture(written.path);
        if (setAsideByAnEarlierVersion && takeFreeName(written, target)) ++cleared;
        else cleared += ::unlink(written.path.c_str()) == 0;
    }
    // Photos staged beside their names: the record each was written for was never saved.
    for (const auto& staged : platform::staleTemporaries(folder, kStagedPhotoMark, isPhotoName, true))
        cleared += ::unlink(staged.path.c_str()) == 0;
    return cleared;
}

}  // namespace vistrel
