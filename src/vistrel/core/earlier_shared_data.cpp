#include "vistrel/core/earlier_shared_data.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <iterator>
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

std::string kitPreferences() { return std::string(kBundleIdentifier) + ".plist"; }

bool isKind(const std::filesystem::path& entry, mode_t type) {
    struct stat st {};
    return ::lstat(entry.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == type;
}

// What the stores' records say of the photos.
struct Recorded {
    std::set<std::string> photos;  // those that go: named by a record, or all with a store that cannot be read
    bool storeLeft = false;        // the first store is not known here: it stays where it is
};

// Which of the photo names were named by a record of one of the stores, each read whole
// with its journals in a private folder made in `readIn`: all of them when one that is a
// regular file cannot be read whole, as what is done with a store is then done with its
// photos too. A store that is no regular file is not read. The first store, when it
// cannot be read there at all (not linked: another file system, too many links, none
// allowed), is not known: it stays where it is, and so do the photos no other store's
// record names, so that none parts from it. A later one that cannot be (moved already,
// after the photos it named) names none.
Recorded recordedAmong(const std::set<std::string>& photos, const std::vector<std::filesystem::path>& stores,
                       const std::filesystem::path& readIn) {
    Recorded recorded;
    // Only a digest name needs the digest of an identifier that is no plain name.
    const bool digestNames = std::any_of(photos.begin(), photos.end(), [](const std::string& photo) {
        return photo.starts_with(kDigestPrefix);
    });
    bool notWhole = false;
    for (std::size_t i = 0; i < stores.size(); ++i) {
        // The first store is read even with every photo told, so that one that cannot be
        // is known to stay.
        if (i > 0 && recorded.photos.size() == photos.size()) break;
        if (!isKind(stores[i], S_IFREG)) continue;
        std::optional<platform::PrivateFolder> folder = platform::PrivateFolder::make(readIn, storeReadingMark);
        if (!folder) {
            recorded.storeLeft = recorded.storeLeft || i == 0;
            continue;
        }
        // Every record is looked at, however many an earlier version kept (each read once,
        // one no longer than any identifier the kit records): a photo it names is never
        // left behind.
        const auto each = [&](std::string_view identifier) {
            if (!digestNames && !isPlainName(identifier)) return true;
            if (std::string name = pictureFileName(identifier); photos.contains(name))
                recorded.photos.insert(std::move(name));
            return recorded.photos.size() < photos.size();
        };
        const auto read = platform::store::forEachColumnText(stores[i], *folder, "VistrelImage", "identifier",
                                                             kLongestIdentifier, SIZE_MAX, each);
        notWhole = notWhole || read == platform::store::TextsRead::notWhole;
        recorded.storeLeft = recorded.storeLeft || (i == 0 && read == platform::store::TextsRead::notLinked);
    }
    if (notWhole && !recorded.storeLeft) recorded.photos = photos;
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
    if (isPhotoName(name)) return EarlierData::photo;
    return std::nullopt;
}

std::vector<std::string> earlierDataIn(const std::filesystem::path& folder, const std::filesystem::path& readIn,
                                       const std::filesystem::path& movedInto) {
    std::vector<std::string> names, store, photos, preferencesCopies;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        const auto kind = earlierDataNamed(name);
        if (!kind) continue;
        switch (*kind) {
            case EarlierData::store:
                if (isKind(it->path(), S_IFREG)) store.push_back(std::move(name));
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
    // The store is looked at whenever it is there: one that cannot be read here stays, with
    // its journals and photos.
    if (!photos.empty() || std::find(store.begin(), store.end(), kStore) != store.end()) {
        std::vector<std::filesystem::path> stores = {folder / kStore};
        if (!movedInto.empty()) stores.push_back(movedInto / kStore);
        const Recorded recorded = recordedAmong(std::set<std::string>(photos.begin(), photos.end()), stores, readIn);
        for (std::string& name : photos)
            if (recorded.photos.contains(name)) names.push_back(std::move(name));
        if (recorded.storeLeft) store.clear();
    }
    names.insert(names.end(), std::make_move_iterator(store.begin()), std::make_move_iterator(store.end()));
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
