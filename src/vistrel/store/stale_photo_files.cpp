#include "vistrel/store/stale_photo_files.hpp"

#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "vistrel/platform/foundation/file_identity.hpp"
#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/picture_ends.hpp"
#include "vistrel/platform/store/write_lock.hpp"
#include "vistrel/core/picture_file_name.hpp"
#include "vistrel/store/set_aside_photo.hpp"
#include "vistrel/store/photo_name.hpp"
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
std::timespec ownTimeOf(const StaleTemporary& aside) {
    const auto name = readSetAsideName(aside.path.filename().native());
    return name && name->modified ? *name->modified : aside.accessed;
}

// Whether it was set aside by this version, which sets a photo aside only once the records,
// read under the store's write lock, showed that no record has its identifier: it is no
// record's photo, so a record of that identifier saved since keeps its own (elsewhere, or
// none), however free the name. What an earlier version set aside may be a record's own.
bool isOfThisVersion(const StaleTemporary& aside) {
    const auto name = readSetAsideName(aside.path.filename().native());
    return name && name->modified;
}

// The photo a set-aside name is of; none for any other name.
std::optional<std::string_view> setAsidePhotoOf(std::string_view name) {
    const auto read = readSetAsideName(name);
    if (read && isPhotoName(read->target)) return read->target;
    return std::nullopt;
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

namespace {

// What had photos' names before a stopped run took them: photos set aside whole, and photos
// an earlier version set aside under a writing temporary's name, each the only copy of a
// photo until it is known whether the record of its replacement was saved. Each takes its
// name back, or goes, under the store's write lock, decided by the records as they are
// under it. None of it when the lock is not had: all waits for a later opening.
std::size_t resolveUnderTheLock(const std::filesystem::path& folder, platform::store::ManagedObjectContext& context,
                                const std::vector<StaleTemporary>& asides,
                                const std::vector<StaleTemporary>& writtenWhole) {
    if (!context.persistentStoreCoordinator()) return 0;
    // Nothing here is urgent: taken only when no other host holds it this instant, so that
    // an opening never waits on the main thread for another host's write to tidy.
    platform::store::WriteLock lock(context, platform::store::WriteLock::WaitForOthers::never);
    if (lock.error) {
        platform::log(platform::escapeControlCharacters(
            platform::store::isHeldByAnotherHost(*lock.error)
                ? std::string("store :: the store's write lock is held by another host; "
                              "photos an earlier run left aside wait for a later opening")
                : platform::concatenate("store :: the store's write lock cannot be taken (", lock.error->description(),
                                        "); photos an earlier run left aside wait for a later opening")));
        return 0;
    }
    std::size_t cleared = 0;
    std::vector<const StaleTemporary*> byTheRecords;
    for (const auto& aside : asides) {
        struct stat st {};
        if (::lstat(aside.path.c_str(), &st) != 0) continue;  // another host's clean-up took it
        const auto target = folder / aside.target;
        if (aside.isLink) cleared += ::unlink(aside.path.c_str()) == 0;  // never a photo's name
        else if (isNameFree(target) && !isOfThisVersion(aside))
            cleared += PhotoName::takeBack(lock, aside.path, target, ownTimeOf(aside), false);
        else byTheRecords.push_back(&aside);
    }
    if (!byTheRecords.empty()) {
        std::vector<std::string> names;
        for (const auto* aside : byTheRecords) names.push_back(aside->target);
        // Which run saved what cannot be told without the records: left for a later start.
        const auto recorded = recordedPhotoNames(context, names);
        for (const auto* aside : recorded ? byTheRecords : std::vector<const StaleTemporary*>{}) {
            const auto target = folder / aside->target;
            if (recorded->contains(aside->target) || platform::isSameEntry(aside->path, target)) {
                cleared += ::unlink(aside->path.c_str()) == 0;
                continue;
            }
            if (isNameFree(target)) {
                cleared += PhotoName::takeBack(lock, aside->path, target, ownTimeOf(*aside), false);
                continue;
            }
            // No record has the new photo: what had the name before takes it again, unless
            // what has it now was changed lately, by a save of an earlier version sharing the
            // folder (which takes no lock for it), whose record may be about to be saved.
            struct stat now {};
            if (::lstat(target.c_str(), &now) != 0 || !platform::isPastStaleAge(now.st_mtim)) continue;
            cleared += PhotoName::takeBack(lock, aside->path, target, ownTimeOf(*aside), true);
        }
    }
    for (const auto& written : writtenWhole) {
        struct stat st {};
        if (::lstat(written.path.c_str(), &st) != 0) continue;
        // A name taken meanwhile (by what was set aside from it, say) leaves it a write
        // whose record was never saved.
        if (isNameFree(folder / written.target))
            cleared += PhotoName::takeBack(lock, written.path, folder / written.target, st.st_mtim, false);
        else
            cleared += ::unlink(written.path.c_str()) == 0;
    }
    return cleared;
}

}  // namespace

std::size_t clearStalePhotoFiles(const std::filesystem::path& folder, platform::store::ManagedObjectContext& context) {
    std::size_t cleared = 0;
    const auto asides = platform::staleTemporaries(folder, setAsidePhotoOf, true);
    // Photos being written: half of one, or a whole one whose record was never saved, go. A
    // link there goes too: whoever left it, it never takes a photo's name. A whole one an
    // earlier version set aside there takes its name back while it is free.
    std::vector<StaleTemporary> writtenWhole;
    for (auto& written : platform::staleTemporaries(folder, platform::temporaryMark, isPhotoName, true)) {
        if (!written.isLink && isNameFree(folder / written.target) &&
            platform::graphics::endsAsAWholePicture(written.path))
            writtenWhole.push_back(std::move(written));
        else
            cleared += ::unlink(written.path.c_str()) == 0;
    }
    // Photos staged beside their names: the record each was written for was never saved.
    for (const auto& staged : platform::staleTemporaries(folder, kStagedPhotoMark, isPhotoName, true))
        cleared += ::unlink(staged.path.c_str()) == 0;
    if (!asides.empty() || !writtenWhole.empty()) cleared += resolveUnderTheLock(folder, context, asides, writtenWhole);
    return cleared;
}

}  // namespace vistrel
