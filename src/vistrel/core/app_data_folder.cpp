#include "vistrel/core/app_data_folder.hpp"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "vistrel/core/earlier_shared_data.hpp"
#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/file_lock.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/foundation/private_folder.hpp"

namespace vistrel {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kAppsFolder = "apps";
constexpr std::string_view kTakingOverMark = ".taking-over-";
constexpr std::string_view kLockName = ".takeover.lock";
// Left in "apps" once an app keeps the kit's data in the shared folder itself (VISTREL_HOME
// set to it): what lies there is that app's, live, and no other app takes it over. Made
// empty; nothing is ever written into it. (A host named like the kit, whose own files lie
// there, is kept apart by what earlierDataIn takes for the kit's.)
constexpr std::string_view kInUseMark = ".shared-folder-in-use";
// A holder only renames entries within one file system, and its death lets the lock go: a
// wait this long is for a holder stopped, not one at work, and it is made on the host's
// main thread at its first start, so it is no longer than a save's wait for the store.
// Past it the app's folder is used as it is, and nothing of the shared folder is taken,
// but the app's own takeover under way, which its start finishes itself.
constexpr std::chrono::seconds kLockBound{2};

void logLine(std::string_view line) { platform::log(platform::escapeControlCharacters(line)); }

bool hasEntry(const fs::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// Renames, never over what has the new name (a file, or a folder even empty). Gives 0 or
// the error.
int renameWithoutReplacing(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without that rename: under the lock nothing else names entries in
    // the folders of the apps, nor takes what earlier versions left.
    if (hasEntry(to)) return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// The names of the folders being made that runs stopped on the way left in `apps`. The
// folders in which a run stopped dead read a store go on the way: their links keep the
// store's room taken.
std::vector<std::string> foldersBeingMade(const fs::path& apps) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(apps, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.starts_with(storeReadingMark)) platform::PrivateFolder::removeIfLeft(it->path());
        if (name.starts_with(kTakingOverMark) && name.size() > kTakingOverMark.size() &&
            it->symlink_status(ec).type() == fs::file_type::directory)
            names.push_back(std::move(name));
    }
    return names;
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    return names;
}

// Moves what earlier versions left in `shared` into `making`, then renames `making` into
// place as `folder`. An entry that cannot be moved is left where it is (said in a line):
// the rest are no less the app's. Two processes of one app may do this at once (one that
// gave up waiting for the lock finishes its app's takeover itself): each entry goes by one
// rename, into one and the same folder, and the folder into place once. When the app's
// folder was made meanwhile (by a start that gave up waiting for the lock before its
// app's takeover began), the entries go into it where their names are free (a photo's
// temporary, where its photo's name is free too); one whose name is taken there stays in
// `making`, said in a line. What another program may have
// written meanwhile into an entry that only its contents tell to be the kit's (preferences,
// Events, Contacts) is looked at again once it is moved, and put back when it is no longer
// the kit's alone.
// `found` is what earlierDataIn gave just before, under the lock, when it was asked.
void takeOver(const fs::path& shared, const fs::path& making, const fs::path& folder,
              std::optional<std::vector<std::string>> found = std::nullopt) {
    if (!found) found = earlierDataIn(shared, making.parent_path(), making);
    for (const std::string& name : *found) {
        if (const int error = renameWithoutReplacing(shared / name, making / name)) {
            // Gone meanwhile (a journal its store removed, say): nothing to take.
            if (error != ENOENT)
                logLine(platform::concatenate("data folder :: ", (shared / name).string(), " not taken over into ",
                                              making.string(), ": ", std::strerror(error)));
            continue;
        }
        if (const auto kind = earlierDataNamed(name); kind && !holdsOnlyTheKitsOwn(making / name, *kind)) {
            const int error = renameWithoutReplacing(making / name, shared / name);
            logLine(platform::concatenate("data folder :: ", (shared / name).string(),
                                          " changed as it was taken over: ",
                                          error ? std::string("left in ") + making.string() + ": " + std::strerror(error)
                                                : std::string("put back")));
            if (!error) continue;
        }
        platform::fileStep("takeover: moved");
    }
    const std::string taken = describeEarlierData(namesIn(making));
    if (const int error = renameWithoutReplacing(making, folder)) {
        if (error == ENOENT) return;  // another process of the app put it in place
        if (error != EEXIST && error != ENOTEMPTY) {
            logLine(platform::concatenate("data folder :: ", making.string(), " not put in place as ", folder.string(),
                                          ": ", std::strerror(error)));
            return;
        }
        for (const std::string& name : namesIn(making)) {
            // A photo's temporary only where its photo's name is free: the store's clean-up
            // would remove it otherwise.
            const auto photo = photoOfTemporary(name);
            const int clash = photo && hasEntry(folder / *photo) ? EEXIST
                                                                 : renameWithoutReplacing(making / name, folder / name);
            if (clash && clash != ENOENT)
                logLine(platform::concatenate("data folder :: ", (making / name).string(), " not moved into ",
                                              folder.string(), ": ", std::strerror(clash)));
        }
        ::rmdir(making.c_str());  // only once it is empty
    }
    platform::fileStep("takeover: in place");
    logLine(platform::concatenate("data folder :: what an earlier version left in ", shared.string(), " (", taken,
                                  ") taken over into ", folder.string()));
}

}  // namespace

void markTheSharedFolderInUse(const std::filesystem::path& shared) {
    const fs::path apps = shared / kAppsFolder;
    if (hasEntry(apps / kInUseMark)) return;
    std::error_code ec;
    fs::create_directories(apps, ec);
    const int fd = ::open((apps / kInUseMark).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) ::close(fd);
}

std::filesystem::path appDataFolder(const std::filesystem::path& shared, std::string_view program) {
    const fs::path apps = shared / kAppsFolder;
    const fs::path folder = apps / program;
    const bool settled = hasEntry(folder);
    if (settled && foldersBeingMade(apps).empty()) return folder;

    platform::fileStep("takeover: taking the lock");
    platform::FileLock::Failure failure{};
    fs::path lockFile;
    // An app whose folder is made only finishes another's takeover a stopped run left when
    // the lock is free: it never waits for a takeover under way.
    const auto lock = platform::FileLock::takeServing(apps / kLockName, settled ? std::chrono::seconds(0) : kLockBound,
                                                      lockFile, &failure);
    if (!lock && settled) return folder;
    if (!lock) {
        logLine(platform::concatenate("data folder :: the lock ", lockFile.string(),
                                      failure == platform::FileLock::Failure::timedOut ? " was held too long"
                                                                                         : " cannot be taken",
                                      ": nothing that an earlier version left in ", shared.string(),
                                      " is taken but for this app's own takeover under way"));
        // This app's own takeover (of another of its processes, stopped or slow) goes into
        // this app's folder whoever finishes it: this start does, rather than make the
        // folder beside it.
        const fs::path making = apps / platform::concatenate(kTakingOverMark, program);
        if (hasEntry(making)) takeOver(shared, making, folder);
        return folder;
    }
    platform::fileStep("takeover: lock taken");
    for (const std::string& making : foldersBeingMade(apps))
        takeOver(shared, apps / making, apps / making.substr(kTakingOverMark.size()));
    if (hasEntry(folder)) return folder;
    if (hasEntry(apps / kInUseMark)) {
        logLine(platform::concatenate("data folder :: ", shared.string(),
                                      " is an app's own data folder: nothing of it is taken over"));
    } else if (std::vector<std::string> found = earlierDataIn(shared, apps); !found.empty()) {
        const fs::path making = apps / platform::concatenate(kTakingOverMark, program);
        if (::mkdir(making.c_str(), 0777) == 0) {
            platform::fileStep("takeover: folder made");
            takeOver(shared, making, folder, std::move(found));
            return folder;
        }
        logLine(platform::concatenate("data folder :: ", making.string(), " cannot be made: ", std::strerror(errno)));
    }
    if (::mkdir(folder.c_str(), 0777) == 0) platform::fileStep("takeover: own folder made");
    return folder;
}

}  // namespace vistrel
