#include "vistrel/core/kit_defaults.hpp"

#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>

#include "vistrel/core/data_directory.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace vistrel {

namespace {
std::mutex gMutex;
std::shared_ptr<platform::UserDefaults> gDefaults;

// Earlier versions kept the kit's preferences in "preferences.plist", the name the
// standard defaults give the host's own file: a host whose folder is the kit's shared
// one file with it. When the kit's file does not exist yet, a file of the old name is
// copied into it once, so the API key and instance identifier stored there stay; the
// old file is left for whoever else may read it.
void adoptEarlierFile(const std::filesystem::path& folder, const std::filesystem::path& file) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path earlier = folder / "preferences.plist";
    if (fs::exists(file, ec) || !fs::is_regular_file(earlier, ec)) return;
    if (!fs::copy_file(earlier, file, ec) || ec) {
        platform::log(platform::concatenate("preferences :: could not copy ", earlier.string(), ": ", ec.message()));
        return;
    }
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write, ec);
}
}  // namespace

std::shared_ptr<platform::UserDefaults> kitDefaults() {
    const auto folder = dataDirectory();
    auto file = folder / (std::string(kBundleIdentifier) + ".plist");
    std::lock_guard lock(gMutex);
    if (!gDefaults || gDefaults->filePath() != file) {
        adoptEarlierFile(folder, file);
        gDefaults = std::make_shared<platform::UserDefaults>(file);
    }
    return gDefaults;
}

void reopenKitDefaults() {
    std::lock_guard lock(gMutex);
    gDefaults.reset();
}

}  // namespace vistrel
