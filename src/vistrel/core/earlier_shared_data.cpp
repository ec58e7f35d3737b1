#include "vistrel/core/earlier_shared_data.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <set>
#include <system_error>

#include "vistrel/core/kit_defaults.hpp"
#include "vistrel/core/picture_file_name.hpp"
#include "vistrel/core/plain_name.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/core/vistrel_pref.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/private_folder.hpp"
#include "vistrel/platform/foundation/property_list.hpp"
#include "vistrel/platform/services/contact_event_records.hpp"
#include "vistrel/platform/services/contact_store.hpp"
#include "vistrel/platform/services/event_store.hpp"
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

// The bounds of each look (earlier_shared_data.hpp). The kit records a scan at a time, and a
// user adds events and contacts one by one: stores and folders far past these are none the
// kit made.
constexpr std::size_t kMostPreferencesCopiesRead = 16;
constexpr std::size_t kLongestIdentifier = 64 * 1024;
constexpr std::size_t kMostRecordFiles = 1'000'000;

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

bool isKind(const std::filesystem::path& entry, mode_t type) {
    struct stat st {};
    return ::lstat(entry.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == type;
}

// Which of the photo names were named by a record of one of the stores, each read whole
// with its journals in a private folder made in `readIn`: all of them when one that is a
// regular file cannot be read whole, as what is done with a store is then done with its
// photos too. A store that is no regular file is not read.
std::set<std::string> recordedAmong(const std::set<std::string>& photos, const std::vector<std::filesystem::path>& stores,
                                    const std::filesystem::path& readIn) {
    std::set<std::string> recorded;
    // Only a digest name needs the digest of an identifier that is no plain name.
    const bool digestNames = std::any_of(photos.begin(), photos.end(), [](const std::string& photo) {
        return photo.starts_with(kDigestPrefix);
    });
    for (const std::filesystem::path& store : stores) {
        if (recorded.size() == photos.size()) break;
        if (!isKind(store, S_IFREG)) continue;
        std::optional<platform::PrivateFolder> folder = platform::PrivateFolder::make(readIn, storeReadingMark);
        if (!folder) return photos;
        // Every record is looked at, however many an earlier version kept (each read once,
        // one no longer than any identifier the kit records): a photo it names is never
        // left behind.
        const auto read = platform::store::forEachColumnText(
            store, *folder, "VistrelImage", "identifier", kLongestIdentifier, SIZE_MAX, [&](std::string_view identifier) {
                if (!digestNames && !isPlainName(identifier)) return true;
                if (std::string name = pictureFileName(identifier); photos.contains(name))
                    recorded.insert(std::move(name));
                return recorded.size() < photos.size();
            });
        if (read == platform::store::TextsRead::notWhole) return photos;
    }
    return recorded;
}

// A regular file that reads, within the kit's own bound, as a property list of a
// dictionary whose keys are all the kit's.
bool holdsOnlyTheKitsKeys(const std::filesystem::path& file) {
    if (!isKind(file, S_IFREG)) return false;
    const platform::FileRead read = platform::readFileWithin(file, kitDefaultsBounds.maxFileBytes);
    if (!read.bytes) return false;
    const std::optional<platform::Value> value = platform::readPropertyList(*read.bytes);
    const platform::Dictionary* keys = value ? value->dictionary() : nullptr;
    return keys && std::all_of(keys->begin(), keys->end(), [](const auto& entry) { return isVistrelPrefKey(entry.first); });
}

// A folder whose entries, few enough, are all regular files of records of the extension.
bool holdsOnlyRecordFiles(const std::filesystem::path& folder, std::string_view extension) {
    if (!isKind(folder, S_IFDIR)) return false;
    std::size_t count = 0;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; it != end; it.increment(ec)) {
        if (ec || ++count > kMostRecordFiles) return false;
        const std::string name = it->path().filename().string();
        if (!platform::services::records::isRecordFileName(name, extension) || !isKind(it->path(), S_IFREG))
            return false;
    }
    return !ec;
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

std::vector<std::string> earlierDataIn(const std::filesystem::path& folder, const std::filesystem::path& readIn,
                                       const std::filesystem::path& movedInto) {
    std::vector<std::string> names, photos, preferencesCopies;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        const auto kind = earlierDataNamed(name);
        if (!kind) continue;
        switch (*kind) {
            case EarlierData::store:
                if (isKind(it->path(), S_IFREG)) names.push_back(std::move(name));
                break;
            case EarlierData::photo:
                if (isKind(it->path(), S_IFREG)) photos.push_back(std::move(name));
                break;
            case EarlierData::preferences:
                if (name == kitPreferences() || name == kOldPreferences) {
                    if (holdsOnlyTheKitsKeys(it->path())) names.push_back(std::move(name));
                } else {
                    preferencesCopies.push_back(std::move(name));
                }
                break;
            case EarlierData::events:
            case EarlierData::contacts:
                if (holdsOnlyTheKitsOwn(it->path(), *kind)) names.push_back(std::move(name));
                break;
        }
    }
    std::sort(preferencesCopies.begin(), preferencesCopies.end());
    if (preferencesCopies.size() > kMostPreferencesCopiesRead) preferencesCopies.resize(kMostPreferencesCopiesRead);
    for (std::string& name : preferencesCopies)
        if (holdsOnlyTheKitsKeys(folder / name)) names.push_back(std::move(name));
    if (!photos.empty()) {
        std::set<std::string> photoNames;
        for (const std::string& name : photos) photoNames.insert(photoNameOf(name));
        std::vector<std::filesystem::path> stores = {folder / kStore};
        if (!movedInto.empty()) stores.push_back(movedInto / kStore);
        const std::set<std::string> recorded = recordedAmong(photoNames, stores, readIn);
        for (std::string& name : photos)
            if (recorded.contains(photoNameOf(name))) names.push_back(std::move(name));
    }
    // The rest by name, then the store and its journals last, one after the other: a
    // takeover stopped between the store and its log (whose records only the two together
    // tell) has already moved every photo they name, and what it left is told by the store
    // still whole beside it.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const bool aStore = earlierDataNamed(a) == EarlierData::store, bStore = earlierDataNamed(b) == EarlierData::store;
        return aStore != bStore ? bStore : a < b;
    });
    return names;
}

bool holdsOnlyTheKitsOwn(const std::filesystem::path& entry, EarlierData kind) {
    switch (kind) {
        case EarlierData::preferences: return holdsOnlyTheKitsKeys(entry);
        case EarlierData::events:
            return holdsOnlyRecordFiles(entry, platform::services::EventStore::fileExtension);
        case EarlierData::contacts:
            return holdsOnlyRecordFiles(entry, platform::services::ContactStore::fileExtension);
        case EarlierData::store:
        case EarlierData::photo: return isKind(entry, S_IFREG);
    }
    return false;
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
