// Two hosts sharing one data folder, each a process of its own, run against each other one
// file step at a time, in every order of their steps (a seeded sample of them where there
// are more): two recording one identifier, with the kit's own photo writes or with a
// host's savePicture that writes at the photo's name itself, keeps it elsewhere, saves the
// store, lets the store's write go or fails after saving, or with an observer of the
// store's did-save that throws, over nothing or over the photo a deleted record left;
// recording against deleting the identifier; against another host's
// clean-up at open of what a run stopped an hour ago left; against the migration of the
// photos an earlier version kept inside its records; deleting against the migration; and
// two writers of the kit's preferences. What proves sound: at every step, both hosts
// stopped, every record that no host is in the middle of saving shows its own photo (one
// still holding its photo inside shows it or none), and no identifier has two records; the
// preferences file reads whole, holding only what the two set and everything set so far.
// At the end of each order: every scan gave a record (but a host's whose savePicture fails
// it, which may find another's), the migration finished, and a later
// start leaves nothing beside the photos, every record still showing its own.
//
// Nothing here knows the steps the store takes, only the two that tell a wait for the
// other host's lock: a host stopped there goes on only once that lock is free.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

#include "store_fixture.hpp"
#include "stopped_runs.hpp"
#include "support/step_orders.hpp"
#include "support/stepped_processes.hpp"
#include "vistrel/core/kit_defaults.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/core/vistrel_pref.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/property_list.hpp"
#include "vistrel/platform/foundation/writers_turns.hpp"
#include "vistrel/platform/graphics/jpeg_encoding.hpp"
#include "vistrel/core/picture_file_name.hpp"
#include "vistrel/store/set_aside_photo.hpp"
#include "vistrel/platform/ui/notification_center.hpp"
#include "vistrel/store/stale_photo_files.hpp"
#include "vistrel/store/store_notifications.hpp"

using platform::dispatch::RunLoop;
using platform::graphics::Color;
using namespace storetest;

namespace {

constexpr const char* kPipesVariable = "VISTREL_STEPPED_HOST_PIPES";

// The orders a pair runs at most: the release build runs a thousand of a pair's orders in a
// few seconds; the sanitizers' builds, several times slower, a smaller sample.
#if defined(__has_feature)
#define VISTREL_STEPPED_SANITIZED (__has_feature(address_sanitizer) || __has_feature(thread_sanitizer))
#else
#define VISTREL_STEPPED_SANITIZED 0
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || VISTREL_STEPPED_SANITIZED
constexpr std::size_t kOrdersPerPair = 150;
#elif defined(NDEBUG)
constexpr std::size_t kOrdersPerPair = 1000;
#else
constexpr std::size_t kOrdersPerPair = 300;
#endif

// What the folder of each run holds before the hosts start.
enum class Folder {
    store,                 // the store, no record
    deletedRecordsPhoto,   // and at "page.jpg" the photo of a record deleted since
    recordOfPage,          // and a record of "page" with its photo
    recordOfOther,         // and a record of "other" with its photo
    stoppedAnHourAgo,      // and what a run stopped an hour ago left of a photo of "page"
    earlierVersion,        // and records "m1" to "m3" holding their photos inside
    preferencesOnly,       // nothing: the hosts write the kit's preferences
};

// How a host's savePicture keeps a photo: the kit's own; its own, written at the photo's
// name itself; the kit's, then a save of its own (every record's favourite mark turned);
// its own, in a file of its own elsewhere; the kit's, then it ends the store's write and
// writes a copy of its own elsewhere (its record is given up); the kit's, then a save of its own, then it fails (its upload did,
// say: its record is not made); the kit's, with an observer of the store's did-save that
// throws.
enum class Keeps { kit, atTheName, savingTheStore, elsewhere, endingTheWrite, savingThenFailing, observerThrows };
constexpr const char* kKeepsNames[] = {"kit",           "at-the-name",         "saving-the-store", "elsewhere",
                                       "ending-the-write", "saving-then-failing", "observer-throws"};
// Whether such a host's scans give no record, whatever the order.
bool recordsNothing(Keeps keeps) { return keeps == Keeps::endingTheWrite || keeps == Keeps::savingThenFailing; }

struct Host {
    Keeps keeps;
    std::vector<std::string> script;  // "record <id>", "delete <id>", "open", "migrate", "pref <name>"
};

struct Pair {
    const char* name;
    Folder folder;
    Host hosts[2];
};

void PrintTo(const Pair& pair, std::ostream* out) { *out << pair.name; }

constexpr Keeps kKit = Keeps::kit, kAtName = Keeps::atTheName;

const Pair kPairs[] = {
    {"RecordAndRecord", Folder::store, {{kKit, {"record page"}}, {kKit, {"record page"}}}},
    {"RecordAndRecordOverADeletedRecordsPhoto",
     Folder::deletedRecordsPhoto,
     {{kKit, {"record page"}}, {kKit, {"record page"}}}},
    {"HostsWritingPhotosRecordAndRecord", Folder::store, {{kAtName, {"record page"}}, {kAtName, {"record page"}}}},
    {"HostsWritingPhotosRecordAndRecordOverADeletedRecordsPhoto",
     Folder::deletedRecordsPhoto,
     {{kAtName, {"record page"}}, {kAtName, {"record page"}}}},
    {"HostsSavingInSavePictureRecordAndRecord",
     Folder::recordOfOther,
     {{Keeps::savingTheStore, {"record page"}}, {Keeps::savingTheStore, {"record page"}}}},
    {"HostsKeepingPhotosElsewhereRecordAndRecordOverADeletedRecordsPhoto",
     Folder::deletedRecordsPhoto,
     {{Keeps::elsewhere, {"record page"}}, {Keeps::elsewhere, {"record page"}}}},
    {"HostEndingTheWriteAndHostKeepingPhotosElsewhereOverADeletedRecordsPhoto",
     Folder::deletedRecordsPhoto,
     {{Keeps::endingTheWrite, {"record page"}}, {Keeps::elsewhere, {"record page"}}}},
    {"HostSavingThenFailingAndHostRecording",
     Folder::recordOfOther,
     {{Keeps::savingThenFailing, {"record page"}}, {kKit, {"record page"}}}},
    {"HostsWhoseObserverThrowsRecordAndRecordOverADeletedRecordsPhoto",
     Folder::deletedRecordsPhoto,
     {{Keeps::observerThrows, {"record page"}}, {Keeps::observerThrows, {"record page"}}}},
    {"RecordAndDelete", Folder::store, {{kKit, {"record page"}}, {kKit, {"delete page"}}}},
    {"DeleteThenRecordAndRecord",
     Folder::recordOfPage,
     {{kKit, {"delete page", "record page"}}, {kKit, {"record page"}}}},
    {"RecordThenDeleteAndRecord", Folder::store, {{kKit, {"record page", "delete page"}}, {kKit, {"record page"}}}},
    {"RecordAndCleanUpAtOpen", Folder::stoppedAnHourAgo, {{kKit, {"record page"}}, {kKit, {"open"}}}},
    {"RecordAgainAndMigrate", Folder::earlierVersion, {{kKit, {"delete m2", "record m2"}}, {kKit, {"migrate"}}}},
    {"HostsWritingPhotosRecordAgainAndMigrate",
     Folder::earlierVersion,
     {{kAtName, {"delete m2", "record m2"}}, {kAtName, {"migrate"}}}},
    {"DeleteAndMigrate", Folder::earlierVersion, {{kKit, {"delete m2", "delete m3"}}, {kKit, {"migrate"}}}},
    {"TwoPreferencesWriters",
     Folder::preferencesOnly,
     {{kKit, {"pref apiKey", "pref useBlackAndWhite"}}, {kKit, {"pref applicationInstanceId", "pref hasBeenMigrated"}}}},
};

// A script's operation: its verb and what it acts on.
std::pair<std::string, std::string> parse(const std::string& operation) {
    const auto space = operation.find(' ');
    if (space == std::string::npos) return {operation, ""};
    return {operation.substr(0, space), operation.substr(space + 1)};
}

// The photo host `host` (0 or 1) records in the operation numbered `operation` of its
// script, and the title of its record, which tells who made it.
platform::graphics::Image photoOf(int host, std::size_t operation) {
    return picture({0.15 + 0.7 * host, 0.2 + 0.3 * static_cast<double>(operation), 0.5, 1});
}
std::string titleOf(int host, std::size_t operation) {
    return std::string(1, static_cast<char>('a' + host)) + "/" + std::to_string(operation);
}
std::string jpegOf(const platform::graphics::Image& picture) { return *platform::graphics::encodeJpeg(picture, 1.0); }

// The value a host sets for a preference of the kit, as it reads back.
platform::Value preferenceOf(int host, const std::string& name) {
    if (name == "apiKey" || name == "applicationInstanceId")
        return platform::Value(name + " of " + std::string(1, static_cast<char>('a' + host)));
    return platform::Value(platform::Number::fromBool(true));
}
void setPreference(int host, const std::string& name) {
    const platform::Value value = preferenceOf(host, name);
    if (name == "apiKey") vistrel::VistrelPref::setApiKey(*value.string());
    if (name == "applicationInstanceId") vistrel::VistrelPref::setApplicationInstanceId(*value.string());
    if (name == "useBlackAndWhite") vistrel::VistrelPref::setUseBlackAndWhite(true);
    if (name == "hasBeenMigrated") vistrel::VistrelPref::setHasBeenMigrated(true);
}

std::filesystem::path preferencesFile(const std::filesystem::path& folder) {
    return folder / (std::string(vistrel::kBundleIdentifier) + ".plist");
}
std::filesystem::path preferencesLock(const std::filesystem::path& folder) {
    return platform::WritersTurns::lockOf(folder, std::filesystem::weakly_canonical(preferencesFile(folder)));
}

// Where a host that keeps its photos elsewhere keeps the photo of a key.
std::filesystem::path elsewhereOf(const std::filesystem::path& folder, std::string_view key) {
    return folder / ("host-own-" + std::string(key));
}

// A host's savePicture of its own (see Keeps).
struct HostsOwnStore : vistrel::PersistanceController {
    HostsOwnStore(std::shared_ptr<vistrel::CoreDataLayer> layer, Keeps keeps)
        : PersistanceController(std::move(layer)), keeps(keeps) {}
    const Keeps keeps;
    bool savePicture(const platform::graphics::Image& picture, std::string_view key) override {
        if (keeps == Keeps::atTheName) return platform::writeFileAtomically(picturePath(key), jpegOf(picture));
        if (keeps == Keeps::elsewhere)
            return platform::writeFileAtomically(elsewhereOf(layer->applicationDocumentsDirectory(), key), jpegOf(picture));
        const bool written = PersistanceController::savePicture(picture, key);
        if (keeps == Keeps::observerThrows) return written;
        if (keeps == Keeps::endingTheWrite) {
            // Then its own copy, as slow as it is: other hosts may save meanwhile.
            layer->persistentStoreCoordinator()->endWriting();
            return platform::writeFileAtomically(elsewhereOf(layer->applicationDocumentsDirectory(), key),
                                                 jpegOf(picture)) &&
                   written;
        }
        for (const auto& image : retrieveImages().value_or(vistrel::VistrelImages{}))
            image->setIsFavorite(!image->isFavorite());
        return saveContext() && written && keeps != Keeps::savingThenFailing;
    }
};

std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
    return fields;
}

std::string joined(const std::vector<std::string>& fields, std::string_view between) {
    std::string line;
    for (const auto& field : fields) {
        if (!line.empty()) line += between;
        line += field;
    }
    return line;
}

using SteppedHostTest = StoreTest;

// The child: a host given one run after another ("run\t<folder>\t<host>\t<own|kit>\t<operation>
// ..."), each a new launch over the run's folder, that stops at every file step until its
// parent lets it go on, and tells what each operation gave. One given "linger" does not
// end once its pipe is closed, as a host hung at its end.
TEST_F(SteppedHostTest, DISABLED_HostRunsItsScripts) {
    auto parent = testsupport::ParentLink::fromEnvironment(kPipesVariable);
    if (!parent) GTEST_SKIP() << "run by TwoHostsStepByStep";
    const auto model = vistrel::CoreDataLayer().managedObjectModel();
    ASSERT_TRUE(model);
    bool lingers = false;
    while (const auto command = parent->receive()) {
        const auto fields = split(*command);
        ASSERT_GE(fields.size(), 4u) << *command;
        ASSERT_EQ(fields[0], "run");
        docs = fields[1];
        const int host = std::stoi(fields[2]);
        const std::vector<std::string> script(fields.begin() + 4, fields.end());
        ::setenv("VISTREL_HOME", docs.c_str(), 1);
        vistrel::reopenKitDefaults();
        std::shared_ptr<vistrel::PersistanceController> store = controller();
        store->layer->setManagedObjectModel(model);
        for (int keeps = 1; keeps < static_cast<int>(std::size(kKeepsNames)); ++keeps)
            if (fields[3] == kKeepsNames[keeps]) store = std::make_shared<HostsOwnStore>(store->layer, Keeps(keeps));
        std::optional<platform::ui::ObserverToken> throwing;
        if (fields[3] == kKeepsNames[static_cast<int>(Keeps::observerThrows)])
            throwing = platform::ui::NotificationCenter::defaultCenter().addObserver(
                std::string(vistrel::managedObjectContextDidSaveNotification), nullptr,
                [](const platform::ui::Notification&) { throw std::runtime_error("the host's observer failed"); });
        const auto has = [&](std::string_view verb) {
            return std::any_of(script.begin(), script.end(), [&](const auto& op) { return parse(op).first == verb; });
        };
        // A host that has been running since before the run: what it opens is open, unless
        // opening is what its run does.
        if (has("pref")) {
            vistrel::kitDefaults();
        } else if (!has("open")) {
            ASSERT_TRUE(store->layer->managedObjectContext());
        }
        parent->tell("ready");
        parent->waitToGoOn();

        testsupport::stepAtEachFileStep(*parent);
        std::vector<std::string> told;
        for (std::size_t index = 0; index < script.size(); ++index) {
            testsupport::setStepWhere(std::to_string(index));
            const auto [verb, object] = parse(script[index]);
            if (verb == "record") {
                // What host code throws through the kit counts as no record given.
                std::shared_ptr<vistrel::VistrelImage> image;
                try {
                    image = store->loadOrCreateVistrelImage("doc", object, titleOf(host, index), photoOf(host, index),
                                                            at(10 * host + static_cast<int>(index)));
                } catch (const std::exception&) {
                }
                told.push_back(image ? image->title().value_or("(no title)") : "-");
            } else if (verb == "delete") {
                const auto found = store->loadVistrelImages({object});
                for (const auto& image : found.value_or(vistrel::VistrelImages{})) store->deleteImage(image);
                RunLoop::runUntilIdle();
                told.push_back(found ? "deleted" : "none");
            } else if (verb == "migrate") {
                auto recorder = std::make_shared<Recorder>();
                store->migrateWithDelegate(recorder);
                RunLoop::runUntilIdle();
                told.push_back(recorder->finished == 1 ? "finished" : recorder->failed ? "failed" : "untold");
            } else if (verb == "open") {
                told.push_back(store->layer->managedObjectContext() ? "opened" : "not opened");
            } else if (verb == "pref") {
                setPreference(host, object);
                told.push_back("set");
            } else if (verb == "linger") {
                lingers = true;
                told.push_back("lingers");
            } else {
                told.push_back("unknown");
            }
        }
        testsupport::stopSteppingAtFileSteps();
        if (throwing) platform::ui::NotificationCenter::defaultCenter().removeObserver(*throwing);
        RunLoop::runUntilIdle();
        store.reset();  // its store closed before the parent looks
        vistrel::reopenKitDefaults();
        log.clear();
        parent->tell("done\t" + joined(told, "\t"));
    }
    while (lingers) ::pause();
}

// What the parent knows of a run's photos: each record's own photo by its title, and
// every photo any host or run wrote, to say which one a file holds.
struct Photos {
    std::map<std::string, std::string> ownByTitle;
    std::map<std::string, std::string> whoseBytes;  // photo -> what it is

    void add(const std::string& title, const std::string& jpeg) {
        ownByTitle[title] = jpeg;
        whoseBytes.emplace(jpeg, "the photo of " + title);
    }
    std::string describe(const std::optional<std::string>& bytes) const {
        if (!bytes) return "no photo";
        const auto found = whoseBytes.find(*bytes);
        return found == whoseBytes.end() ? "bytes of no photo written" : found->second;
    }
};

struct Record {
    std::string identifier, title;
    bool holdsItsPhoto = false;  // inside, as an earlier version kept it
};

// The records committed to a store, read as another program reads them, through a
// read-only connection of its own.
class CommittedRecords {
public:
    explicit CommittedRecords(const std::filesystem::path& store) {
        constexpr const char* kSql = "SELECT identifier, title, length(picture) FROM VistrelImage";
        if (sqlite3_open_v2(store.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK)
            sqlite3_prepare_v2(db_, kSql, -1, &query_, nullptr);
    }
    ~CommittedRecords() {
        sqlite3_finalize(query_);
        sqlite3_close(db_);
    }
    CommittedRecords(const CommittedRecords&) = delete;
    CommittedRecords& operator=(const CommittedRecords&) = delete;

    // None when the store cannot be read.
    std::optional<std::vector<Record>> read() {
        if (!query_) return std::nullopt;
        std::vector<Record> records;
        const auto text = [&](int column) {
            const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(query_, column));
            return std::string(value ? value : "");
        };
        int step;
        while ((step = sqlite3_step(query_)) == SQLITE_ROW)
            records.push_back({text(0), text(1), sqlite3_column_int64(query_, 2) > 0});
        sqlite3_reset(query_);
        if (step != SQLITE_DONE) return std::nullopt;
        return records;
    }

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* query_ = nullptr;
};

struct TwoHostsStepByStep : StoreTest, ::testing::WithParamInterface<Pair> {
    std::shared_ptr<const platform::store::ManagedObjectModel> model;  // read once, from the kit's bundle
    // The runs' folders, held in memory where the machine can: a run flushes a dozen files,
    // and what is checked is what the hosts see of them, not what a power cut would leave.
    testsupport::TempDir runs{testsupport::memoryBackedTemporaryFolder()};
    std::filesystem::path origin = runs / "origin";  // what each run starts from, copied
    std::vector<testsupport::SteppedProcess*> hosts;
    Photos photos;
    std::set<std::string> deleted;  // the identifiers a host's script deletes

    // A controller over the folder, as a new launch makes it.
    std::shared_ptr<vistrel::PersistanceController> launchOver(const std::filesystem::path& folder) {
        if (!model) model = vistrel::CoreDataLayer().managedObjectModel();
        docs = folder;
        auto store = controller();
        store->layer->setManagedObjectModel(model);
        return store;
    }

    // Makes what each run of the pair starts from, in `folder`.
    void prepare(const std::filesystem::path& folder, Folder kind) {
        const auto name = folder / vistrel::pictureFileName("page");
        const auto wrote = [&](const std::filesystem::path& path, const std::string& jpeg, const std::string& what) {
            ASSERT_TRUE(platform::writeFileAtomically(path, jpeg));
            photos.whoseBytes.emplace(jpeg, what);
        };
        if (kind == Folder::preferencesOnly) {
            std::filesystem::create_directories(folder);
            return;
        }
        auto store = launchOver(folder);
        ASSERT_TRUE(store->retrieveImages());
        switch (kind) {
        case Folder::deletedRecordsPhoto: wrote(name, jpegOf(picture({0, 1, 0, 1})), "a deleted record's photo"); break;
        case Folder::recordOfPage:
        case Folder::recordOfOther: {
            const char* identifier = kind == Folder::recordOfPage ? "page" : "other";
            const auto image = store->loadOrCreateVistrelImage("doc", identifier, "earlier", picture({0, 0, 1, 1}), at(0));
            ASSERT_TRUE(image);
            photos.add("earlier", jpegOf(picture({0, 0, 1, 1})));
            break;
        }
        case Folder::stoppedAnHourAgo: {
            // A save stopped after its photo took the name, its record never saved: the photo
            // that had the name set aside, the new one at it. Aged once the hosts are up.
            wrote(name, jpegOf(picture({1, 1, 0, 1})), "a stopped run's new photo");
            const timespec before{1'600'000'000, 0};
            wrote(vistrel::setAsidePathFor(name, before), jpegOf(picture({0, 1, 1, 1})),
                  "a stopped run's set-aside photo");
            break;
        }
        case Folder::earlierVersion: {
            auto context = store->layer->managedObjectContext();
            for (int i = 1; i <= 3; ++i) {
                const std::string identifier = "m" + std::to_string(i), title = "earlier " + identifier;
                const std::string blob = *platform::graphics::encodeJpeg(picture({0.1 * i, 0.3, 0.9, 1}), 0.9);
                auto image = vistrel::VistrelImage::insertInto(*context);
                image->setIdentifier(identifier);
                image->setTitle(title);
                image->setPicture(blob);
                image->setDate(at(i));
                // Moved to its file as the kit writes a photo.
                photos.add(title, jpegOf(*platform::graphics::Image::decode(blob)));
            }
            ASSERT_TRUE(store->saveContext());
            break;
        }
        default: break;
        }
    }

    // What is wrong with the records and their photos, all hosts stopped: a record no host is
    // saving that does not show its own photo, two records of one identifier.
    std::vector<std::string> photoFaults(CommittedRecords& committed, const std::filesystem::path& folder,
                                         const std::vector<testsupport::ActorAt>& at) const {
        std::vector<std::string> faults;
        const auto records = committed.read();
        if (!records) return {"the store cannot be read"};
        std::map<std::string, int> byIdentifier;
        for (const auto& record : *records) {
            if (++byIdentifier[record.identifier] == 2) faults.push_back("two records of " + record.identifier);
            // The record a host is saving (its own title, the operation it is in).
            bool beingSaved = false;
            for (std::size_t host = 0; host < at.size(); ++host) {
                const auto& where = at[host].where;
                beingSaved = beingSaved || (!at[host].done && !where.empty() &&
                                            record.title == titleOf(static_cast<int>(host), std::stoul(where)));
            }
            if (beingSaved) continue;
            const auto own = photos.ownByTitle.find(record.title);
            if (own == photos.ownByTitle.end()) {
                faults.push_back("a record no one made: " + record.title);
                continue;
            }
            const auto file = platform::readFile(folder / vistrel::pictureFileName(record.identifier), 64u << 20);
            // A host that keeps its photos elsewhere leaves the kit's name free: what had it
            // was no record's photo.
            const auto maker = record.title.empty() ? 2u : static_cast<std::size_t>(record.title[0] - 'a');
            if (maker < 2 && GetParam().hosts[maker].keeps == Keeps::elsewhere) {
                if (file) faults.push_back(record.title + " (" + record.identifier + "), kept elsewhere, has at its name " +
                                           photos.describe(file));
                continue;
            }
            if (file == own->second || (record.holdsItsPhoto && !file)) continue;
            faults.push_back(record.title + " (" + record.identifier + ") shows " + photos.describe(file));
        }
        return faults;
    }

    // What is wrong with the kit's preferences file, all hosts stopped: not a property list
    // of a dictionary, a value no host set, or one a host set and was told is kept, missing.
    std::vector<std::string> preferenceFaults(const std::filesystem::path& folder,
                                              const std::vector<testsupport::ActorAt>& at) const {
        const auto bytes = platform::readFile(preferencesFile(folder), 1u << 20);
        const std::optional<platform::Value> values =
            bytes ? platform::readPropertyList(*bytes) : platform::Value(platform::Dictionary());
        if (!values || !values->dictionary()) return {"the preferences file does not read as a property list"};
        std::vector<std::string> faults;
        std::map<std::string, platform::Value> set;  // by any host, so far or to come
        for (int host = 0; host < 2; ++host) {
            const auto& script = GetParam().hosts[host].script;
            for (std::size_t index = 0; index < script.size(); ++index) {
                const auto [verb, name] = parse(script[index]);
                if (verb != "pref") continue;
                set.emplace(name, preferenceOf(host, name));
                const bool kept = at[host].done || (!at[host].where.empty() && index < std::stoul(at[host].where));
                if (kept && !values->dictionary()->contains(name)) faults.push_back(name + " missing, set before");
            }
        }
        for (const auto& [key, value] : *values->dictionary()) {
            const auto expected = set.find(key);
            if (expected == set.end() || !(expected->second == value))
                faults.push_back(key + " holds what no host set");
        }
        return faults;
    }

    // One order over a fresh copy of the origin in `folder`: each host told its run, the two
    // stepped in the order `orders` chooses, and what they share looked at at every step and
    // at the end. The steps taken go to `steps`, what was found wrong (a few) to `faults`.
    void runAnOrder(const std::filesystem::path& folder, testsupport::StepOrders& orders,
                    std::vector<std::string>& steps, std::vector<std::string>& faults) {
        const Pair& pair = GetParam();
        const bool ofPreferences = pair.folder == Folder::preferencesOnly;
        std::filesystem::copy(origin, folder, std::filesystem::copy_options::recursive);
        for (int host = 0; host < 2; ++host) {
            const Host& script = pair.hosts[host];
            ASSERT_TRUE(hosts[host]->send("run\t" + folder.string() + "\t" + std::to_string(host) + "\t" +
                                          kKeepsNames[static_cast<int>(script.keeps)] + "\t" +
                                          joined(script.script, "\t")))
                << "host " << static_cast<char>('a' + host) << " ended before its run in " << folder
                << "; its output:\n" << hosts[host]->output();
        }
        for (std::size_t host = 0; host < hosts.size(); ++host)
            ASSERT_EQ(hosts[host]->receive().value_or("(nothing: ended, or hung past the step bound)"), "ready")
                << "host " << static_cast<char>('a' + host) << " setting up its run in " << folder << "; its output:\n"
                << hosts[host]->output();
        // What a stopped run left is an hour old now, but was not when the hosts opened.
        if (pair.folder == Folder::stoppedAnHourAgo) testsupport::ageByAnHour(folder);

        const auto storeFile = folder / vistrel::kStoreFileName;
        std::optional<CommittedRecords> committed;
        std::optional<WriteProbe> probe;
        if (!ofPreferences) {
            committed.emplace(storeFile);
            probe.emplace(storeFile);
        }
        const auto note = [&](const std::vector<std::string>& found, std::string_view when) {
            for (const auto& fault : found)
                if (faults.size() < 8) faults.push_back(std::string(when) + ": " + fault);
        };
        int step = 0;
        const auto order = testsupport::runOneOrder(
            hosts, orders,
            [&](const testsupport::ActorAt& at) {
                if (at.step == testsupport::kStoreWaitStep) return probe->canWrite();
                if (at.step == testsupport::kFileLockWaitStep)
                    return testsupport::fileLockIsFree(preferencesLock(folder));
                return true;
            },
            [&](const std::vector<testsupport::ActorAt>& at) {
                const std::string when = "after step " + std::to_string(step++);
                note(ofPreferences ? preferenceFaults(folder, at) : photoFaults(*committed, folder, at), when);
                // A lock covers a decision and the change it decides, never a host's own slow
                // work: with each host done or stopped at a step of its own read or write of a
                // file (a host's savePicture aside, which runs under the store's lock), no
                // lock is held.
                const auto atItsOwnWork = [](const testsupport::ActorAt& actor) {
                    return actor.done || actor.step == "defaults: reading" || actor.step == "write: temporary opened" ||
                           actor.step == "write: piece written" || actor.step == "write: flushed";
                };
                if (!std::all_of(at.begin(), at.end(), atItsOwnWork)) return;
                if (ofPreferences && !testsupport::fileLockIsFree(preferencesLock(folder)))
                    note({"a writer holds its turn over its own read or write"}, when);
                const auto writesUnderTheLock = [&](const Host& host) {
                    return host.keeps == Keeps::atTheName || host.keeps == Keeps::elsewhere;
                };
                if (!ofPreferences && !writesUnderTheLock(pair.hosts[0]) && !writesUnderTheLock(pair.hosts[1]) &&
                    !probe->canWrite())
                    note({"a host holds the store's lock over its own read or write"}, when);
            });
        steps = order.steps;
        ASSERT_FALSE(order.broken) << *order.broken << "\nafter:\n" << joined(order.steps, "\n");

        // Every scan gave a record, the migration finished and the clean-up opened the store;
        // a record a scan gave that no one deletes is there at the end.
        std::set<std::string> given;
        for (int host = 0; host < 2; ++host) {
            const auto& script = pair.hosts[host].script;
            const auto told = split(order.at[host].told);
            for (std::size_t index = 0; index < script.size(); ++index) {
                const auto [verb, object] = parse(script[index]);
                const std::string result = index < told.size() ? told[index] : "(nothing told)";
                const std::string what = titleOf(host, index) + " " + script[index] + ": " + result;
                // A host whose scans give no record of its own may still find another's.
                const bool refusedAsIt = recordsNothing(pair.hosts[host].keeps);
                if (verb == "record" && result == "-" && !refusedAsIt) note({what + " (refused)"}, "at the end");
                if (verb == "record" && refusedAsIt && result == titleOf(host, index))
                    note({what + " (recorded, by a host whose scans give none)"}, "at the end");
                if (verb == "record" && result != "-" && !deleted.contains(object)) given.insert(result);
                if ((verb == "migrate" && result != "finished") || (verb == "open" && result != "opened"))
                    note({what}, "at the end");
            }
        }
        if (!ofPreferences) {
            // What the run left beside the photos is cleared by a later start, long after, and
            // every record still shows its own photo then.
            const auto leftBeside = [&] {
                std::vector<std::string> names;
                for (const auto& entry : std::filesystem::directory_iterator(folder))
                    if (vistrel::isTemporaryPhotoName(entry.path().filename().string()))
                        names.push_back(entry.path().filename().string());
                return names;
            };
            if (!leftBeside().empty()) {
                committed.reset();
                probe.reset();
                testsupport::ageByAnHour(folder);
                ASSERT_TRUE(launchOver(folder)->layer->managedObjectContext());
                for (const auto& name : leftBeside()) note({name + " left beside the photos"}, "after a later start");
                committed.emplace(storeFile);
                note(photoFaults(*committed, folder, std::vector<testsupport::ActorAt>(2, {"", "", true, ""})),
                     "after a later start");
            }
            std::set<std::string> titles;
            for (const auto& record : committed->read().value_or(std::vector<Record>{})) titles.insert(record.title);
            for (const auto& title : given)
                if (!titles.contains(title)) note({"the record " + title + " a scan gave is gone"}, "at the end");
        }
        committed.reset();
        probe.reset();
        std::filesystem::remove_all(folder);
        log.clear();
    }
};

TEST_P(TwoHostsStepByStep, EveryStepOfEveryOrderKeepsWhatEachHostSaved) {
    const Pair& pair = GetParam();
    for (int host = 0; host < 2; ++host)
        for (std::size_t index = 0; index < pair.hosts[host].script.size(); ++index) {
            const auto [verb, object] = parse(pair.hosts[host].script[index]);
            if (verb == "record") photos.add(titleOf(host, index), jpegOf(photoOf(host, index)));
            if (verb == "delete") deleted.insert(object);
        }
    prepare(origin, pair.folder);
    if (HasFatalFailure()) return;

    // Each host started once, and given one run after another.
    std::vector<std::unique_ptr<testsupport::SteppedProcess>> started;
    for (int host = 0; host < 2; ++host) {
        started.push_back(std::make_unique<testsupport::SteppedProcess>(
            std::vector<std::string>{"--gtest_also_run_disabled_tests",
                                     "--gtest_filter=SteppedHostTest.DISABLED_HostRunsItsScripts"},
            std::vector<std::string>{childrensTemporaryFolder()}, dir / ("host-" + std::to_string(host) + "-output"),
            kPipesVariable));
        ASSERT_TRUE(started.back()->started());
        hosts.push_back(started.back().get());
    }

    testsupport::StepOrders orders(kOrdersPerPair, 20240601);
    std::size_t failing = 0;
    std::string firstFailure;
    std::set<std::string> kinds;  // of what was found, whatever the step
    for (int run = 0; orders.another(); ++run) {
        std::vector<std::string> steps, faults;
        runAnOrder(runs / ("run-" + std::to_string(run)), orders, steps, faults);
        if (HasFatalFailure()) return;
        if (!faults.empty() && failing++ == 0)
            firstFailure = "order " + orders.order() + ":\n  " + joined(steps, "\n  ") + "\nfound:\n  " +
                           joined(faults, "\n  ");
        for (const auto& fault : faults)
            if (kinds.size() < 12)
                kinds.insert(fault.starts_with("after step ") ? fault.substr(fault.find(':') + 2) : fault);
        orders.finish();
    }
    std::ostringstream summary;
    summary << pair.name << ": " << orders.runs() << " orders run, " << failing << " failing, of "
            << (orders.everyOrder() ? "" : "about ") << static_cast<long long>(orders.possible()) << " possible";
    if (orders.diverged()) summary << "; " << orders.diverged() << " runs did not follow their choices";
    std::cout << "[  orders  ] " << summary.str() << std::endl;
    EXPECT_EQ(orders.diverged(), 0u);
    EXPECT_EQ(failing, 0u) << summary.str() << "\nthe first failing " << firstFailure
                           << "\nall that was found, each once:\n  " << joined({kinds.begin(), kinds.end()}, "\n  ");
}

// A host stopped (an app suspended) or dead in the middle of a step ends its order at once,
// or once the step's bound passed, saying which host, where it was going on from and in
// which order; the test then ends as any failed one does, and its folder goes with it. A
// host gone before it is told to go on fails the write of that word, which ends nothing
// else.
TEST_F(SteppedHostTest, AHostStoppedOrDeadMidStepEndsTheOrderSayingWhere) {
    const struct {
        const char* name;
        int signal;
        bool goneBeforeItsGo;  // its end waited for before it is told to go on
    } rows[] = {{"stopped", SIGSTOP, false}, {"dead", SIGKILL, false}, {"dead before its go", SIGKILL, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const int signal = row.signal;
        const bool goneBeforeItsGo = row.goneBeforeItsGo;
        std::filesystem::remove_all(docs);
        ASSERT_TRUE(controller()->retrieveImages());  // the store is made
        testsupport::SteppedProcess host(
            {"--gtest_also_run_disabled_tests", "--gtest_filter=SteppedHostTest.DISABLED_HostRunsItsScripts"},
            {childrensTemporaryFolder()}, dir / "host-output", kPipesVariable, std::chrono::seconds(1));
        ASSERT_TRUE(host.started());
        ASSERT_TRUE(host.send("run\t" + docs.string() + "\t0\tkit\trecord page"));
        ASSERT_EQ(host.receive().value_or("(nothing)"), "ready") << host.output();
        testsupport::StepOrders orders(1, 1);
        int points = 0;
        const auto order = testsupport::runOneOrder(
            {&host}, orders, [](const testsupport::ActorAt&) { return true; },
            [&](const std::vector<testsupport::ActorAt>&) {
                if (++points != 3) return;  // once it has taken two steps
                ::kill(host.pid(), signal);
                siginfo_t ended{};
                if (goneBeforeItsGo) ::waitid(P_PID, static_cast<id_t>(host.pid()), &ended, WEXITED | WNOWAIT);
            });
        ASSERT_TRUE(order.broken);
        ASSERT_EQ(order.steps.size(), 2u);
        EXPECT_TRUE(order.broken->starts_with("a ended, or hung past 1000 ms, going on from 0: " +
                                              order.steps[1].substr(order.steps[1].find(": ") + 2) +
                                              " in the order aaa"))
            << *order.broken;
        ::kill(host.pid(), SIGKILL);
    }
}

// A host that does not end once its pipe is closed is said so as its end's bound passes,
// with its output, and stopped: the test ends then, not at its limit.
TEST_F(SteppedHostTest, AHostHungAtItsEndIsSaidSoAndStopped) {
    ASSERT_TRUE(controller()->retrieveImages());  // the store is made
    EXPECT_NONFATAL_FAILURE(
        {
            testsupport::SteppedProcess host(
                {"--gtest_also_run_disabled_tests", "--gtest_filter=SteppedHostTest.DISABLED_HostRunsItsScripts"},
                {childrensTemporaryFolder()}, dir / "host-output", kPipesVariable, testsupport::kStepBound,
                std::chrono::seconds(1));
            ASSERT_TRUE(host.started());
            ASSERT_TRUE(host.send("run\t" + docs.string() + "\t0\tkit\tlinger"));
            ASSERT_EQ(host.receive().value_or("(nothing)"), "ready") << host.output();
            ASSERT_TRUE(host.send("go"));
            ASSERT_EQ(host.receive().value_or("(nothing)"), "done\tlingers") << host.output();
        },
        "a stepped host did not end once its pipe was closed");
}

INSTANTIATE_TEST_SUITE_P(Pairs, TwoHostsStepByStep, ::testing::ValuesIn(kPairs),
                         [](const ::testing::TestParamInfo<Pair>& info) { return std::string(info.param.name); });

}  // namespace
