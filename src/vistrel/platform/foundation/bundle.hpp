#pragma once
// A bundle: a folder with an Info.plist, resources looked up by plain file name and
// strings tables in `xx.lproj` folders.
#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vistrel/platform/foundation/strings_table.hpp"
#include "vistrel/platform/foundation/value.hpp"

namespace platform {

class Bundle {
public:
    // The most bytes read of an Info.plist or a strings table, which hold a few
    // kilobytes: a larger file, or one that is not a regular file (a FIFO would block
    // the start), is logged and read as missing, so that a text shows its key.
    static constexpr std::size_t maxFileBytes = 4u << 20;

    // The bundle at a folder, or none when the folder does not exist. Bundles are
    // cached by path and reloaded when their Info.plist changes.
    static std::shared_ptr<const Bundle> atPath(const std::filesystem::path& path);

    // The first of the candidate folders that is a bundle with this identifier.
    static std::shared_ptr<const Bundle> withIdentifier(
        std::string_view identifier, const std::vector<std::filesystem::path>& candidates);

    const std::filesystem::path& bundlePath() const { return path_; }
    // The Info.plist as a dictionary; an empty one when the file is missing or unreadable.
    const Dictionary& infoDictionary() const { return info_; }
    std::optional<std::string> identifier() const;

    // The path of a resource given by a plain file name (extension included): looked up
    // in the bundle folder, then in the folder of the current localisation, then in
    // "Base.lproj". An empty name, ".", ".." or a name with a slash finds nothing.
    std::optional<std::filesystem::path> pathForResource(std::string_view name) const;

    // Localisations the bundle carries (the names of its `xx.lproj` folders).
    std::vector<std::string> localizations() const;
    // CFBundleDevelopmentRegion, else "en".
    std::string developmentLocalization() const;
    // The localisation chosen for the preferred languages, else the development one.
    std::string currentLocalization() const;

    // The text for the key in the table ("Localizable" by default) of the current
    // localisation, else of the development localisation, else `fallback`, or the key
    // itself when `fallback` is empty.
    std::string localizedString(std::string_view key, std::string_view fallback = {},
                                std::string_view table = "Localizable") const;

    Bundle(std::filesystem::path path, Dictionary info);

private:
    const StringsTable* table(const std::string& localization, std::string_view name) const;

    std::filesystem::path path_;
    Dictionary info_;
    mutable std::mutex mutex_;
    mutable std::map<std::string, std::optional<StringsTable>, std::less<>> tables_;
};

// True when the name is a plain file name: not empty, no slash, not "." or "..".
bool isPlainFileName(std::string_view name);

}  // namespace platform
