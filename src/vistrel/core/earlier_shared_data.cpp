#include "vistrel/core/earlier_shared_data.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <set>
#include <system_error>

#include "vistrel/core/picture_file_name.hpp"
#include "vistrel/core/plain_name.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/store/column_texts.hpp"

namespace vistrel {

namespace {

// The names as those versions gave them: they stay what they were whatever later
// versions call their files.
constexpr std::string_view kOldPreferences = "preferences.plist";
constexpr std::string_view kStore = "VistrelData.sqlite";
constexpr std::array<std::string_view, 3> kStoreJournals = {"-wal", "-shm", "-journal"};
constexpr std::string_view kPhotoExtension = ".jpg";
constexpr std::string_view kDigestPrefix = "sha256.";

bool isDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isLowerHex(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// A name the kit gives a record's photo: a plain identifier, or the digest of any other.
bool isPhotoName(std::string_view name) {
    if (!name.ends_with(kPhotoExtension)) return false;
    name.remove_suffix(kPhotoExtension.size());
    if (name.starts_with(kDigestPrefix)) {
        const std::string_view digest = name.substr(kDigestPrefix.size());
        return digest.size() == 64 && isLowerHex(digest);
    }
    return isPlainName(name);
}

// `name` is `file` itself, or a temporary of it: `file` then one of the marks, then
// digits (or anything, for a mark of `anyAfter`).
bool isFileOrItsTemporary(std::string_view name, std::string_view file, std::initializer_list<std::string_view> marks,
                          std::initializer_list<std::string_view> anyAfter) {
    if (!name.starts_with(file)) return false;
    const std::string_view rest = name.substr(file.size());
    if (rest.empty()) return true;
    for (std::string_view mark : marks)
        if (rest.starts_with(mark) && isDigits(rest.substr(mark.size()))) return true;
    for (std::string_view mark : anyAfter)
        if (rest.starts_with(mark) && rest.size() > mark.size()) return true;
    return false;
}

bool isPreferencesEntry(std::string_view name, std::string_view file) {
    return isFileOrItsTemporary(name, file, {platform::temporaryMark}, {".damaged-"});
}

// A photo's name, or one of its temporaries: being written, staged for a record, or set
// aside while a new photo took its name.
bool isPhotoEntry(std::string_view name) {
    const std::size_t end = name.find(kPhotoExtension);
    if (end == std::string_view::npos) return false;
    // A digest name holds no ".jpg" before its end; a plain one holds no dot at all.
    const std::string_view photo = name.substr(0, end + kPhotoExtension.size());
    return isPhotoName(photo) && isFileOrItsTemporary(name, photo, {platform::temporaryMark, ".staged-"}, {".aside-"});
}

std::string kitPreferences() { return std::string(kBundleIdentifier) + ".plist"; }

// The photo a photo entry is, or is a temporary of: the name up to its ".jpg".
std::string photoNameOf(std::string_view entry) {
    return std::string(entry.substr(0, entry.find(kPhotoExtension) + kPhotoExtension.size()));
}

// The photo names of the records of the store in `folder`, as its records name them; an
// empty set when it cannot be read. An identifier past any the kit records is passed over.
std::set<std::string> recordedPhotoNames(const std::filesystem::path& folder) {
    constexpr std::size_t kLongestIdentifier = 64 * 1024;
    std::set<std::string> names;
    if (!platform::store::forEachColumnText(folder / kStore, "VistrelImage", "identifier", kLongestIdentifier,
                                            [&](std::string_view identifier) {
                                                names.insert(pictureFileName(identifier));
                                            }))
        names.clear();
    return names;
}

}  // namespace

std::optional<EarlierData> earlierDataNamed(std::string_view name) {
    if (isPreferencesEntry(name, kitPreferences()) || isPreferencesEntry(name, kOldPreferences))
        return EarlierData::preferences;
    if (name.starts_with(kStore)) {
        const std::string_view rest = name.substr(kStore.size());
        if (rest.empty() || std::find(kStoreJournals.begin(), kStoreJournals.end(), rest) != kStoreJournals.end())
            return EarlierData::store;
    }
    if (name == "Events") return EarlierData::events;
    if (name == "Contacts") return EarlierData::contacts;
    if (isPhotoEntry(name)) return EarlierData::photo;
    return std::nullopt;
}

std::vector<std::string> earlierDataIn(const std::filesystem::path& folder, bool hostsOwnFolder) {
    std::vector<std::string> names;
    std::optional<std::set<std::string>> recorded;
    if (hostsOwnFolder) recorded = recordedPhotoNames(folder);
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        const auto kind = earlierDataNamed(name);
        if (!kind || (hostsOwnFolder && isPreferencesEntry(name, kOldPreferences))) continue;
        if (recorded && *kind == EarlierData::photo && !recorded->contains(photoNameOf(name))) continue;
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) != 0) continue;
        const bool folderKind = *kind == EarlierData::events || *kind == EarlierData::contacts;
        if (folderKind ? !S_ISDIR(st.st_mode) : !S_ISREG(st.st_mode)) continue;
        names.push_back(std::move(name));
    }
    // The store and its journals first, one after the other, then the rest by name.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const bool aStore = earlierDataNamed(a) == EarlierData::store, bStore = earlierDataNamed(b) == EarlierData::store;
        return aStore != bStore ? aStore : a < b;
    });
    return names;
}

std::string describeEarlierData(const std::vector<std::string>& names) {
    std::array<std::size_t, 5> counts{};
    for (const std::string& name : names)
        if (const auto kind = earlierDataNamed(name)) ++counts[static_cast<std::size_t>(*kind)];
    std::string text;
    const auto add = [&](std::string piece) {
        if (!text.empty()) text += ", ";
        text += piece;
    };
    if (counts[0]) add("preferences");
    if (counts[1]) add("the store");
    if (const std::size_t photos = counts[2]) add(std::to_string(photos) + (photos == 1 ? " photo file" : " photo files"));
    if (counts[3]) add("Events");
    if (counts[4]) add("Contacts");
    return text.empty() ? "nothing" : text;
}

}  // namespace vistrel
