#include "vistrel/core/earlier_shared_data.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <iterator>
#include <map>
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
#include "vistrel/platform/graphics/picture_ends.hpp"
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
// The photo those versions set aside whole while a new one took its name, with a number
// after it alone (a later version adds its time: such a one the store's clean-up removes
// once its record is saved).
constexpr std::string_view kSetAsideMark = ".aside-";

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

// The photo a temporary is of, by its name, for the temporaries the store's clean-up may
// put back at their photo's name when it is free: a photo set aside, or a write's.
std::optional<std::string_view> photoOfTemporaryNamed(std::string_view name) {
    for (const std::string_view mark : {kSetAsideMark, platform::temporaryMark})
        if (const auto photo = platform::temporaryTargetOf(name, mark); photo && isPhotoName(*photo)) return photo;
    return std::nullopt;
}

// Whether the store's clean-up puts the temporary at `entry` back at its photo's name,
// that being free (stale_photo_files.cpp): a regular file left by a run stopped
// long enough ago, set aside, or written whole (its picture starts and ends).
bool isPutBackByTheCleanUp(const std::filesystem::path& entry) {
    struct stat st {};
    if (::lstat(entry.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !platform::isPastStaleAge(st.st_mtim)) return false;
    const std::string name = entry.filename().string();
    return platform::temporaryTargetOf(name, kSetAsideMark) || platform::graphics::endsAsAWholePicture(entry);
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
    std::set<std::string> named;  // the photo names a record names
    bool notWhole = false;        // a store that is a regular file cannot be read whole
    bool storeLeft = false;       // the first store is not known here: it stays where it is
};

// Which of the photo names were named by a record of one of the stores, each read whole
// with its journals in a private folder made in `readIn`, and whether one that is a
// regular file cannot be read whole (what is done with a store is then done with all its
// photos too). A store that is no regular file is not read. The first store, when it
// cannot be read there at all (neither linked nor copied: another file system, a copy that
// failed or changed meanwhile), is not known: it stays where it is, and so do the photos no other store's
// record names, so that none parts from it. A later one that cannot be (moved already,
// after the photos it named) names none.
Recorded recordedAmong(const std::set<std::string>& photos, const std::vector<std::filesystem::path>& stores,
                       const std::filesystem::path& readIn) {
    Recorded recorded;
    // Only a digest name needs the digest of an identifier that is no plain name.
    const bool digestNames = std::any_of(photos.begin(), photos.end(), [](const std::string& photo) {
        return photo.starts_with(kDigestPrefix);
    });
    for (std::size_t i = 0; i < stores.size(); ++i) {
        // The first store is read even with every photo told, so that one that cannot be
        // is known to stay.
        if (i > 0 && recorded.named.size() == photos.size()) break;
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
                recorded.named.insert(std::move(name));
            return recorded.named.size() < photos.size();
        };
        const auto read = platform::store::forEachColumnText(stores[i], *folder, "VistrelImage", "identifier",
                                                             kLongestIdentifier, SIZE_MAX, each);
        recorded.notWhole = recorded.notWhole || read == platform::store::TextsRead::notWhole;
        recorded.storeLeft = recorded.storeLeft || (i == 0 && read == platform::store::TextsRead::notLinked);
    }
    return recorded;
}

// The photo temporaries among `temporaries` (in `folder`) that go with the store: each one
// a record's photo is left as alone, which the store's clean-up would put back at that
// name. Only where nothing has the photo's name in `folder` or `movedInto`, no other
// temporary of it is in `movedInto` and none other such in `folder`, so that none the
// takeover moves is removed by the clean-up (which removes what it does not put back).
std::vector<std::string> photosLeftAsTemporaries(const std::filesystem::path& folder,
                                                 const std::vector<std::string>& temporaries,
                                                 const std::filesystem::path& movedInto) {
    std::map<std::string, std::vector<std::string>> byPhoto;
    for (const std::string& name : temporaries)
        if (isPutBackByTheCleanUp(folder / name)) byPhoto[std::string(*photoOfTemporaryNamed(name))].push_back(name);
    std::set<std::string> movedAlready;
    std::error_code ec;
    if (!movedInto.empty())
        for (std::filesystem::directory_iterator it(movedInto, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (const auto photo = photoOfTemporaryNamed(name)) movedAlready.emplace(*photo);
        }
    std::vector<std::string> alone;
    for (auto& [photo, names] : byPhoto) {
        struct stat st {};
        if (names.size() != 1 || movedAlready.contains(photo) || ::lstat((folder / photo).c_str(), &st) == 0 ||
            (!movedInto.empty() && ::lstat((movedInto / photo).c_str(), &st) == 0))
            continue;
        alone.push_back(std::move(names.front()));
    }
    return alone;
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
    if (isPhotoName(name) || photoOfTemporaryNamed(name)) return EarlierData::photo;
    return std::nullopt;
}

std::optional<std::string_view> photoOfTemporary(std::string_view name) { return photoOfTemporaryNamed(name); }

std::vector<std::string> earlierDataIn(const std::filesystem::path& folder, const std::filesystem::path& readIn,
                                       const std::filesystem::path& movedInto) {
    std::vector<std::string> names, store, photos, temporaries, preferencesCopies;
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
                if (!isKind(it->path(), S_IFREG)) break;
                (photoOfTemporaryNamed(name) ? temporaries : photos).push_back(std::move(name));
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
    const std::vector<std::string> alone = photosLeftAsTemporaries(folder, temporaries, movedInto);
    if (!photos.empty() || !alone.empty() || std::find(store.begin(), store.end(), kStore) != store.end()) {
        std::vector<std::filesystem::path> stores = {folder / kStore};
        if (!movedInto.empty()) stores.push_back(movedInto / kStore);
        std::set<std::string> wanted(photos.begin(), photos.end());
        for (const std::string& name : alone) wanted.emplace(*photoOfTemporaryNamed(name));
        const Recorded recorded = recordedAmong(wanted, stores, readIn);
        const bool all = recorded.notWhole && !recorded.storeLeft;
        for (std::string& name : photos)
            if (all || recorded.named.contains(name)) names.push_back(std::move(name));
        // Put back by the clean-up only beside the store it is of, read whole.
        if (!recorded.notWhole && !recorded.storeLeft)
            for (const std::string& name : alone)
                if (recorded.named.contains(std::string(*photoOfTemporaryNamed(name)))) names.push_back(name);
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
        case EarlierData::store: return isKind(entry, S_IFREG);
        case EarlierData::photo:
            return photoOfTemporaryNamed(entry.filename().string()) ? isPutBackByTheCleanUp(entry)
                                                                    : isKind(entry, S_IFREG);
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
