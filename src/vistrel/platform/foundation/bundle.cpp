#include "vistrel/platform/foundation/bundle.hpp"

#include <sys/stat.h>

#include <algorithm>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/locale.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/foundation/property_list.hpp"

namespace platform {

namespace fs = std::filesystem;

bool isPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

namespace {

struct CacheEntry {
    std::shared_ptr<const Bundle> bundle;
    struct timespec mtime {};
    off_t size = -1;
};

std::mutex gCacheMutex;
std::map<fs::path, CacheEntry>& cache() {
    static auto* entries = new std::map<fs::path, CacheEntry>;
    return *entries;
}

// A file of the bundle, or none when it is missing or refused (see Bundle::maxFileBytes).
std::optional<std::string> readBundleFile(const fs::path& file) {
    FileRead read = readFileWithin(file, Bundle::maxFileBytes);
    if (read.error && *read.error != FileReadError::missing)
        log(concatenate("Bundle :: ", file.string(), " is ", describe(*read.error), ", read as missing"));
    return std::move(read.bytes);
}

Dictionary readInfo(const fs::path& plist) {
    auto bytes = readBundleFile(plist);
    if (!bytes) return {};
    auto value = readPropertyList(*bytes);
    if (!value || !value->dictionary()) {
        log(concatenate("Bundle :: unreadable Info.plist at ", plist.string()));
        return {};
    }
    return *value->dictionary();
}

}  // namespace

Bundle::Bundle(fs::path path, Dictionary info) : path_(std::move(path)), info_(std::move(info)) {}

std::shared_ptr<const Bundle> Bundle::atPath(const fs::path& path) {
    std::error_code ec;
    if (path.empty() || !fs::is_directory(path, ec)) return nullptr;
    fs::path key = fs::weakly_canonical(path, ec);
    if (ec) key = path;
    fs::path plist = key / "Info.plist";
    struct stat st {};
    bool hasPlist = ::stat(plist.c_str(), &st) == 0;

    std::lock_guard lock(gCacheMutex);
    auto& entry = cache()[key];
    bool fresh = entry.bundle &&
                 (hasPlist ? (entry.size == st.st_size && entry.mtime.tv_sec == st.st_mtim.tv_sec &&
                              entry.mtime.tv_nsec == st.st_mtim.tv_nsec)
                           : entry.size == -1);
    if (!fresh) {
        entry.bundle = std::make_shared<Bundle>(key, hasPlist ? readInfo(plist) : Dictionary{});
        entry.size = hasPlist ? st.st_size : -1;
        entry.mtime = hasPlist ? st.st_mtim : timespec{};
    }
    return entry.bundle;
}

std::shared_ptr<const Bundle> Bundle::withIdentifier(std::string_view identifier,
                                                     const std::vector<fs::path>& candidates) {
    for (const auto& candidate : candidates) {
        auto bundle = atPath(candidate);
        if (bundle && bundle->identifier() == identifier) return bundle;
    }
    return nullptr;
}

std::optional<std::string> Bundle::identifier() const {
    const Value* id = info_.find("CFBundleIdentifier");
    if (id && id->string()) return *id->string();
    return std::nullopt;
}

std::optional<fs::path> Bundle::pathForResource(std::string_view name) const {
    if (!isPlainFileName(name)) return std::nullopt;
    std::error_code ec;
    for (const fs::path& folder : {path_, path_ / (currentLocalization() + ".lproj"),
                                   path_ / "Base.lproj"}) {
        fs::path candidate = folder / std::string(name);
        if (fs::exists(candidate, ec)) return candidate;
    }
    return std::nullopt;
}

std::vector<std::string> Bundle::localizations() const {
    std::vector<std::string> out;
    std::error_code ec;
    for (fs::directory_iterator it(path_, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_directory(ec) && it->path().extension() == ".lproj")
            out.push_back(it->path().stem().string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::string Bundle::developmentLocalization() const {
    const Value* region = info_.find("CFBundleDevelopmentRegion");
    if (region && region->string() && !region->string()->empty()) return *region->string();
    return "en";
}

std::string Bundle::currentLocalization() const {
    auto available = localizations();
    if (auto best = bestLocalization(available, preferredLanguages())) return *best;
    return developmentLocalization();
}

const StringsTable* Bundle::table(const std::string& localization, std::string_view name) const {
    std::string key = localization + "/" + std::string(name);
    std::lock_guard lock(mutex_);
    auto it = tables_.find(key);
    if (it == tables_.end()) {
        std::optional<StringsTable> loaded;
        fs::path file = path_ / (localization + ".lproj") / (std::string(name) + ".strings");
        if (auto bytes = readBundleFile(file)) {
            loaded = parseStringsTable(*bytes);
            if (!loaded) log(concatenate("Bundle :: malformed strings table ", file.string()));
        }
        it = tables_.emplace(std::move(key), std::move(loaded)).first;
    }
    return it->second ? &*it->second : nullptr;
}

std::string Bundle::localizedString(std::string_view key, std::string_view fallback,
                                    std::string_view tableName) const {
    if (!isPlainFileName(tableName)) tableName = "Localizable";
    std::string current = currentLocalization();
    std::string development = developmentLocalization();
    for (const std::string* localization : {&current, &development}) {
        if (const StringsTable* t = table(*localization, tableName)) {
            if (auto it = t->find(key); it != t->end()) return it->second;
        }
    }
    return std::string(fallback.empty() ? key : fallback);
}

}  // namespace platform
