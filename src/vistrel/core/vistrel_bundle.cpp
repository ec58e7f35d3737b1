#include "vistrel/core/vistrel_bundle.hpp"

#include <dlfcn.h>

#include <cstdlib>
#include <mutex>

namespace vistrel {

namespace {

std::mutex gMutex;
std::optional<std::vector<std::filesystem::path>> gOverride;

// The folder of the shared object this code was loaded from.
std::optional<std::filesystem::path> libraryFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&libraryFolder), &info) == 0 || !info.dli_fname)
        return std::nullopt;
    std::error_code ec;
    auto path = std::filesystem::canonical(info.dli_fname, ec);
    if (ec) return std::nullopt;
    return path.parent_path();
}

std::vector<std::filesystem::path> defaultLocations() {
    std::vector<std::filesystem::path> out;
    if (const char* env = std::getenv("VISTREL_BUNDLE_PATH"); env && *env) out.emplace_back(env);
    auto folder = libraryFolder();
    if (folder) out.push_back(*folder / "Vistrel.bundle");
#if defined(VISTREL_BUILD_BUNDLE) && defined(VISTREL_BUILD_LIBRARY_DIR)
    // The build tree's bundle serves the library where the build made it, never an
    // installed copy, which must find its own bundle and not reach into a build folder.
    std::error_code ec;
    if (folder && std::filesystem::equivalent(*folder, VISTREL_BUILD_LIBRARY_DIR, ec))
        out.emplace_back(VISTREL_BUILD_BUNDLE);
#endif
    return out;
}

}  // namespace

void overrideBundleLocations(std::optional<std::vector<std::filesystem::path>> locations) {
    std::lock_guard lock(gMutex);
    gOverride = std::move(locations);
}

std::shared_ptr<const platform::Bundle> vistrelBundle() {
    std::optional<std::vector<std::filesystem::path>> chosen;
    {
        std::lock_guard lock(gMutex);
        chosen = gOverride;
    }
    auto locations = chosen ? std::move(*chosen) : defaultLocations();
    return platform::Bundle::withIdentifier(kBundleIdentifier, locations);
}

std::string tr(std::string_view key) {
    auto bundle = vistrelBundle();
    if (!bundle) return std::string(key);
    return bundle->localizedString(key);
}

}  // namespace vistrel
