#include "vistrel/core/kit_defaults.hpp"

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>

#include "vistrel/core/data_directory.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/foundation/user_defaults.hpp"

namespace vistrel {

namespace {
std::mutex gMutex;
std::shared_ptr<platform::UserDefaults> gDefaults;

// The lock files of the defaults the kit writes, its own and the host's standard defaults
// it adds keys to, are in its data folder, one for each file (WritersTurns::lockOf): the
// folder is the kit's, found alike by every process of the host, while the host's own
// folder is left to the host.
std::optional<std::filesystem::path> lockFolder() { return dataDirectory(); }

[[maybe_unused]] const bool registeredAtLoad = (platform::UserDefaults::setStandardLockFolder(&lockFolder), true);

// Earlier versions kept the kit's preferences in "preferences.plist", the name the
// standard defaults give the host's own file: a host whose folder is the kit's shared
// one file with it. When the kit's file does not exist yet, a file of the old name is
// copied into it once, so the API key and instance identifier stored there stay; the
// old file is left for whoever else may read it. It is read as the kit's defaults read
// their own file: what is not a regular file or is past their bound is not taken over.
void adoptEarlierFile(const std::filesystem::path& folder, const std::filesystem::path& file) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path earlier = folder / "preferences.plist";
    if (fs::exists(file, ec)) return;
    platform::FileRead read = platform::readFileWithin(earlier, kitDefaultsBounds.maxFileBytes);
    if (read.error == platform::FileReadError::missing) return;
    if (!read.bytes) {
        platform::log(platform::concatenate("preferences :: ", earlier.string(), " is ",
                                            platform::describe(*read.error), ", not taken over"));
        return;
    }
    // Private from the first byte: the file holds the API key. Another process of the host
    // may have taken the earlier file over and written since the look above: what it
    // wrote stays.
    if (!platform::writeNewFileAtomically(file, *read.bytes, 0600) && !fs::exists(file, ec))
        platform::log(platform::concatenate("preferences :: could not copy ", earlier.string()));
}
}  // namespace

std::shared_ptr<platform::UserDefaults> kitDefaults() {
    const auto folder = dataDirectory();
    auto file = folder / (std::string(kBundleIdentifier) + ".plist");
    std::lock_guard lock(gMutex);
    if (!gDefaults || gDefaults->filePath() != file) {
        adoptEarlierFile(folder, file);
        gDefaults = std::make_shared<platform::UserDefaults>(file, kitDefaultsBounds, folder);
    }
    return gDefaults;
}

void reopenKitDefaults() {
    std::lock_guard lock(gMutex);
    gDefaults.reset();
}

}  // namespace vistrel
