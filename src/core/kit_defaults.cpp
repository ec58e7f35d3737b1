#include "core/kit_defaults.hpp"

#include <mutex>

#include "core/data_directory.hpp"

namespace vistrel {

namespace {
std::mutex gMutex;
std::shared_ptr<platform::UserDefaults> gDefaults;
}  // namespace

std::shared_ptr<platform::UserDefaults> kitDefaults() {
    auto file = dataDirectory() / "preferences.plist";
    std::lock_guard lock(gMutex);
    if (!gDefaults || gDefaults->filePath() != file) gDefaults = std::make_shared<platform::UserDefaults>(file);
    return gDefaults;
}

void reopenKitDefaults() {
    std::lock_guard lock(gMutex);
    gDefaults.reset();
}

}  // namespace vistrel
