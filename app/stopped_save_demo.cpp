#include "stopped_save_demo.hpp"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "noisy_picture.hpp"
#include "stopped_runs.hpp"
#include "store_holder.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/jpeg_encoding.hpp"
#include "vistrel/store/persistance_controller.hpp"
#include "vistrel/store/set_aside_photo.hpp"
#include "vistrel/store/stale_photo_files.hpp"
#include "work_folder.hpp"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kChildFlag = "--stopped-save";
constexpr std::string_view kRecordFailsFlag = "--record-fails";
constexpr std::string_view kTwoHostsFlag = "--two-hosts";
constexpr std::string_view kHoldStoreFlag = "--hold-store";
constexpr std::string_view kOwnPhotosFlag = "--own-photos";
constexpr std::string_view kSavesTheStoreFlag = "--saves-the-store";
constexpr const char* kKey = "page";
constexpr timespec kOldPhotoTime{1'600'000'000, 0};  // 2020-09-13
constexpr std::string_view kSetAsideMark = ".aside-";

// A store whose records cannot be saved (a full disk, a damaged store).
struct RecordsFail : vistrel::PersistanceController {
    using PersistanceController::PersistanceController;
    bool saveContext() override { return false; }
};

// A host's store that writes each photo at its name itself, in its own way (or, with
// `savesTheStore`, through the kit's, then marks every record a favourite and saves), and
// counts the photos it was asked for.
struct OwnPhotos : vistrel::PersistanceController {
    using PersistanceController::PersistanceController;
    int asked = 0;
    bool savesTheStore = false;
    bool savePicture(const platform::graphics::Image& picture, std::string_view key) override {
        ++asked;
        if (savesTheStore) {
            const bool written = PersistanceController::savePicture(picture, key);
            for (const auto& image : retrieveImages().value_or(vistrel::VistrelImages{})) image->setIsFavorite(true);
            return saveContext() && written;
        }
        const auto jpeg = platform::graphics::encodeJpeg(picture, 1.0);
        std::ofstream file(picturePath(key), std::ios::binary | std::ios::trunc);
        return jpeg && file << *jpeg;
    }
};

std::shared_ptr<vistrel::CoreDataLayer> layerIn(const fs::path& folder) {
    auto layer = std::make_shared<vistrel::CoreDataLayer>();
    layer->setApplicationDocumentsDirectory(folder);
    return layer;
}

std::shared_ptr<vistrel::PersistanceController> storeIn(const fs::path& folder, bool recordFails) {
    if (recordFails) return std::make_shared<RecordsFail>(layerIn(folder));
    return std::make_shared<vistrel::PersistanceController>(layerIn(folder));
}

// Runs this program as the stopped save; gives its wait status, what it printed in `told`.
int runChild(const fs::path& folder, int step, bool recordFails, const fs::path& told) {
    std::vector<std::string> arguments = {std::string(kChildFlag), folder.string(), std::to_string(step)};
    if (recordFails) arguments.emplace_back(kRecordFailsFlag);
    return testsupport::runThisProgram(std::move(arguments), {}, told, false);
}

// What the next start finds at the photo's name and in the store, after a backup has
// read what the stopped run set aside (its access time is now).
std::string nextStart(const fs::path& folder, const std::string& oldPhoto, const std::string& newPhoto) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (entry.path().filename().string().find(kSetAsideMark) == std::string::npos) continue;
        [[maybe_unused]] const auto read = platform::readFile(entry.path(), 64u << 20);
        const timespec readNow[2] = {{0, UTIME_NOW}, {0, UTIME_OMIT}};
        ::utimensat(AT_FDCWD, entry.path().c_str(), readNow, 0);
    }
    testsupport::ageByAnHour(folder);
    auto store = storeIn(folder, false);
    const bool recorded = store->loadVistrelImages({kKey}).has_value();
    const fs::path name = store->picturePath(kKey);
    const auto atName = platform::readFile(name, 64u << 20);
    struct stat st {};
    const bool ownTime = ::lstat(name.c_str(), &st) == 0 && st.st_mtim.tv_sec == kOldPhotoTime.tv_sec;
    std::string found = atName == oldPhoto   ? (ownTime ? "the photo that was there, with its own time" : "the photo that was there")
                        : atName == newPhoto ? "the new photo whole"
                        : atName             ? "HALF A PHOTO"
                                             : "NO PHOTO";
    found += recorded ? ", and its record" : ", no record";
    int left = 0;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        left += vistrel::isTemporaryPhotoName(entry.path().filename().string()) ? 1 : 0;
    if (left) found += ", " + std::to_string(left) + " files left beside it";
    return found;
}

// The steps of a run of steps, by name, a repeated one counted: "piece written x3".
std::string stepNames(const std::vector<std::string>& steps) {
    std::string names;
    for (std::size_t i = 0; i < steps.size();) {
        std::size_t same = i;
        while (same < steps.size() && steps[same] == steps[i]) ++same;
        if (!names.empty()) names += ", ";
        names += steps[i];
        if (same - i > 1) names += " x" + std::to_string(same - i);
        i = same;
    }
    return names;
}

// One of two hosts recording the key at once ("--two-hosts FOLDER first|second SIGNAL
// WAIT", pipe ends by number; "--own-photos" after, for hosts whose own savePicture
// writes the photo at its name, or "--saves-the-store", for hosts whose savePicture saves
// a change of their own): the first holds at its record's save, signalling and then
// waiting; the second signals as it starts to wait for the store's lock, which the first
// holds. Prints the title it is given, then how many times its savePicture was asked.
int runTwoHostsChild(int argc, char** argv) {
    platform::setLogSink([](std::string_view) {});
    const bool ownPhotos = argc > 6 && (argv[6] == kOwnPhotosFlag || argv[6] == kSavesTheStoreFlag);
    const auto own = ownPhotos ? std::make_shared<OwnPhotos>(layerIn(argv[2])) : nullptr;
    if (own) own->savesTheStore = argv[6] == kSavesTheStoreFlag;
    const auto store = own ? own : storeIn(argv[2], false);
    if (!store->retrieveImages()) return 1;
    const bool first = std::string_view(argv[3]) == "first";
    testsupport::StepActions actions;
    actions.meetAt = first ? "record: saving" : "store: waiting for another host's write";
    actions.signalFd = std::atoi(argv[4]);
    actions.waitFd = std::atoi(argv[5]);
    testsupport::actAtSteps(actions);
    const auto saved = store->loadOrCreateVistrelImage("doc", kKey, first ? "the first host's" : "the second host's",
                                                       testsupport::noisyPicture(first ? 1 : 2),
                                                       vistrel::Date(std::chrono::seconds(::time(nullptr))));
    testsupport::stopActingAtSteps();
    if (!saved) return 1;
    std::cout << saved->title().value_or("") << "\n" << (own ? own->asked : 0) << std::flush;
    return 0;
}

// Two hosts on one data folder record one identifier at the same instant: through the
// kit's savePicture, through their own that writes the photo at its name, or through one
// that saves a change of its own (a favourite's mark on an earlier record) as it runs.
enum class HostsSave { kit, ownPhotos, theStoreToo };
void twoHostsAtOnce(const fs::path& root, const std::string& firstPhoto, HostsSave hostsSave) {
    const bool ownPhotos = hostsSave != HostsSave::kit;
    const std::string run = hostsSave == HostsSave::kit         ? "two-hosts"
                            : hostsSave == HostsSave::ownPhotos ? "two-hosts-own-photos"
                                                                : "two-hosts-saving-the-store";
    const fs::path folder = root / run;
    std::error_code ec;
    fs::create_directories(folder, ec);
    auto earlier = storeIn(folder, false);
    if (hostsSave == HostsSave::theStoreToo) {
        if (!earlier->loadOrCreateVistrelImage("doc", "earlier", "t", testsupport::noisyPicture(3),
                                               vistrel::Date(std::chrono::seconds(1))))
            return;
    } else if (!earlier->retrieveImages()) {
        return;
    }
    earlier.reset();
    testsupport::ProcessSignal firstHolds, secondCame;
    const auto start = [&](const std::string& host, int signalFd, int waitFd) {
        std::vector<std::string> arguments = {std::string(kTwoHostsFlag), folder.string(), host,
                                              std::to_string(signalFd), std::to_string(waitFd)};
        if (ownPhotos) arguments.emplace_back(hostsSave == HostsSave::ownPhotos ? kOwnPhotosFlag : kSavesTheStoreFlag);
        return testsupport::startThisProgram(std::move(arguments), {}, root / (run + "-" + host), false);
    };
    const pid_t first = start("first", firstHolds.writeEnd, secondCame.readEnd);
    testsupport::ProcessSignal::waitFor(firstHolds.readEnd);
    const pid_t second = start("second", secondCame.writeEnd, -1);
    testsupport::waitForChild(first);
    testsupport::waitForChild(second);
    // What a host was given, and how many times its savePicture was asked.
    const auto told = [&](const std::string& host) {
        std::ifstream lines(root / (run + "-" + host));
        std::string title, asked;
        std::getline(lines, title);
        std::getline(lines, asked);
        return std::pair(title.empty() ? "nothing" : title, asked);
    };
    auto store = storeIn(folder, false);
    const auto records = store->loadVistrelImages({kKey});
    const auto atName = platform::readFile(store->picturePath(kKey), 64u << 20);
    std::cout << (hostsSave == HostsSave::ownPhotos
                      ? "two hosts whose own savePicture writes the photo at its name itself record one scan "
                        "at once, the first held at its record's save until the second waits for the store's "
                        "lock: "
                  : hostsSave == HostsSave::theStoreToo
                      ? "two hosts whose savePicture marks an earlier record a favourite and saves record one scan "
                        "at once, the first held at its record's save (its own save made) until the second waits "
                        "for the store's lock: "
                      : "two hosts record one scan at once, the first held at its record's save until the "
                        "second has come as far as it can: ")
              << (records ? records->size() : 0) << " record; the first host is given " << told("first").first
              << " record, the second " << told("second").first;
    if (ownPhotos) {
        const std::string asked = told("second").second;
        std::cout << (asked == "0"   ? ", its savePicture not asked"
                      : asked == "1" ? ", ITS savePicture ASKED ONCE"
                                     : ", ITS savePicture ASKED " + asked + " TIMES");
    }
    std::cout << "; the photo at its name is "
              << (atName == firstPhoto ? "the first host's, whole"
                  : atName             ? "NOT THE FIRST HOST'S"
                                       : "NO PHOTO AT ALL");
    if (hostsSave == HostsSave::theStoreToo) {
        const auto marked = store->loadVistrelImages({"earlier"});
        std::cout << "; the favourite's mark the first saved inside is "
                  << (marked && marked->front()->isFavorite() ? "saved with its record" : "NOT SAVED");
    }
    std::cout << "\n";
}

// A host stopped at its record's save, the store's write lock held ("--hold-store FOLDER
// SIGNAL WAIT"), as an app suspended there would be, until it is killed.
int runHoldStoreChild(char** argv) {
    platform::setLogSink([](std::string_view) {});
    testsupport::recordAndHoldTheStore(*storeIn(argv[2], false), std::atoi(argv[3]), std::atoi(argv[4]));
    return 0;
}

struct Migration : vistrel::MigrationProtocol {
    bool ended = false, done = false;
    void didFinishMigration() override { ended = done = true; }
    void didFailMigration() override { ended = true; }
};

// While another host is stopped holding the store's write lock: a favourite's save, a
// scan's record and a migration of four photos, each timed on this (main) thread; then
// again once that host is gone.
void aHostStoppedHoldingTheStore(const fs::path& root) {
    const fs::path folder = root / "held";
    std::error_code ec;
    fs::create_directories(folder, ec);
    auto store = storeIn(folder, false);
    const auto photo = testsupport::noisyPicture(3);
    const auto jpeg = platform::graphics::encodeJpeg(photo, 0.9);
    auto context = store->layer->managedObjectContext();
    if (!context || !store->loadOrCreateVistrelImage("doc", "kept", "t", photo, vistrel::Date(std::chrono::seconds(1))))
        return;
    for (int i = 0; i < 4; ++i) {  // as an earlier version kept photos: inside their records
        auto image = vistrel::VistrelImage::insertInto(*context);
        image->setIdentifier("old" + std::to_string(i));
        image->setPicture(jpeg);
        image->setDate(vistrel::Date(std::chrono::seconds(2 + i)));
    }
    store->saveContext();
    testsupport::ProcessSignal holds, never;
    const pid_t holder = testsupport::startThisProgram(
        {std::string(kHoldStoreFlag), folder.string(), std::to_string(holds.writeEnd), std::to_string(never.readEnd)},
        {}, root / "holder", false);
    if (!testsupport::ProcessSignal::waitFor(holds.readEnd)) return;
    const auto timed = [](auto&& work) {
        const auto start = std::chrono::steady_clock::now();
        const bool done = work();
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f s",
                      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        return std::string(done ? "DONE (through a held lock?) in " : "gives up after ") + seconds;
    };
    const auto migrate = [&] {
        auto migration = std::make_shared<Migration>();
        store->migrateWithDelegate(migration);
        platform::dispatch::RunLoop::runUntil([&] { return migration->ended; }, std::chrono::minutes(2));
        return migration->done;
    };
    const auto kept = store->loadVistrelImages({"kept"});
    if (kept) kept->front()->setIsFavorite(true);
    std::cout << "another host stopped at its record's save, the store's write lock held (an app suspended there): "
                 "a favourite's save "
              << timed([&] { return store->saveContext(); }) << ", a scan's record "
              << timed([&] {
                     return store->loadOrCreateVistrelImage("doc", "scan", "t", photo,
                                                            vistrel::Date(std::chrono::seconds(9))) != nullptr;
                 })
              << ", the migration of four photos " << timed(migrate);
    // A photo a stopped run left aside an hour ago, for an opening to tidy: it never waits
    // for the held lock, and leaves the photo for a later opening.
    const fs::path aside = vistrel::setAsidePathFor(folder / "gone.jpg", kOldPhotoTime);
    std::ofstream(aside, std::ios::binary) << *jpeg;
    testsupport::ageByAnHour(folder);
    const auto opened = std::chrono::steady_clock::now();
    const bool open = storeIn(folder, false)->retrieveImages().has_value();
    char openedIn[32];
    std::snprintf(openedIn, sizeof openedIn, "%.2f s",
                  std::chrono::duration<double>(std::chrono::steady_clock::now() - opened).count());
    std::cout << ", a new opening with a photo left aside to tidy " << (open ? "opens" : "FAILS") << " in " << openedIn
              << (fs::exists(aside) ? " (the photo left for a later opening)" : " (THE PHOTO TIDIED THROUGH A HELD LOCK?)");
    ::kill(holder, SIGKILL);
    testsupport::waitForChild(holder);
    const bool saved = store->saveContext();
    const bool recorded =
        store->loadOrCreateVistrelImage("doc", "scan", "t", photo, vistrel::Date(std::chrono::seconds(9))) != nullptr;
    const bool migrated = migrate();
    storeIn(folder, false)->retrieveImages();  // a later opening tidies what was left aside
    int left = 0;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        left += vistrel::isTemporaryPhotoName(entry.path().filename().string()) ? 1 : 0;
    std::cout << "; once it is gone: the save " << (saved ? "done" : "FAILED") << ", the scan "
              << (recorded ? "recorded" : "NOT RECORDED") << ", the photos " << (migrated ? "moved" : "NOT MOVED")
              << ", " << left << " files left beside them\n";
}

// Links left at a photo's temporary names, an earlier version's or a stopped run's,
// pointing at a host's file outside the data folder.
void linksLeftAside(const fs::path& root) {
    const fs::path folder = root / "links", hostsFile = root / "hosts-own.jpg";
    std::error_code ec;
    fs::create_directories(folder, ec);
    std::ofstream(hostsFile) << "the host's own";
    for (const char* name : {"page.jpg.tmp-1", "page.jpg.aside-2", "page.jpg.aside-3-1600000000.000000000"})
        fs::create_symlink(hostsFile, folder / name, ec);
    testsupport::ageByAnHour(folder);
    const bool opened = storeIn(folder, false)->retrieveImages().has_value();
    int links = 0;
    for (const auto& entry : fs::directory_iterator(folder, ec)) links += entry.is_symlink(ec) ? 1 : 0;
    std::cout << "three links left at the photo's temporary names, to a host's file outside the data folder: the "
                 "next start "
              << (opened ? "opens" : "CANNOT OPEN") << " with " << links << " links left, "
              << (fs::exists(fs::symlink_status(folder / (std::string(kKey) + ".jpg"))) ? "SOMETHING"
                                                                                        : "nothing")
              << " at the photo's name, and the host's file "
              << (platform::readFile(hostsFile, 1024) == "the host's own" ? "as it was" : "CHANGED") << "\n";
}

}  // namespace

std::optional<int> runStoppedSaveChild(int argc, char** argv) {
    if (argc >= 6 && argv[1] == kTwoHostsFlag) return runTwoHostsChild(argc, argv);
    if (argc >= 5 && argv[1] == kHoldStoreFlag) return runHoldStoreChild(argv);
    if (argc < 4 || argv[1] != kChildFlag) return std::nullopt;
    platform::setLogSink([](std::string_view) {});  // the parent reads the steps alone
    const bool recordFails = argc > 4 && argv[4] == kRecordFailsFlag;
    auto store = storeIn(argv[2], recordFails);
    if (!store->retrieveImages()) return 1;  // the store opens before the save
    // Each step told to the parent as it passes, the run stopped dead at the one asked.
    testsupport::StepActions actions;
    actions.tellFd = STDOUT_FILENO;
    actions.stopAt = std::atoi(argv[3]);
    testsupport::actAtSteps(actions);
    const auto saved = store->loadOrCreateVistrelImage("doc", kKey, "A printed page", testsupport::noisyPicture(2),
                                                       vistrel::Date(std::chrono::seconds(::time(nullptr))));
    testsupport::stopActingAtSteps();
    return saved || recordFails ? 0 : 1;
}

void stoppedSaves(const fs::path& out) {
    std::cout << "\n== a scan's photo saved over the photo a deleted record left, the run stopped dead at each step "
                 "(a backup reads what it set aside before the next start)\n";
    const WorkFolder work(out, "stopped-saves");
    const fs::path& root = work.path();
    std::error_code ec;
    const std::string oldPhoto = *platform::graphics::encodeJpeg(testsupport::noisyPicture(1), 1.0);
    const std::string newPhoto = *platform::graphics::encodeJpeg(testsupport::noisyPicture(2), 1.0);
    platform::LogCapture quiet;  // the next starts' clean-up lines
    int run = 0;
    for (const bool recordFails : {false, true}) {
        std::cout << (recordFails ? "a store whose records cannot be saved (a full disk), so the old photo is put back:\n"
                                  : "a store that saves the new record:\n");
        std::vector<std::string> sameSteps;
        std::string sameOutcome;
        int firstOfRun = 1;
        auto flush = [&](int last) {
            if (sameSteps.empty()) return;
            std::cout << "   stopped at step" << (last > firstOfRun ? "s " : " ") << firstOfRun;
            if (last > firstOfRun) std::cout << '-' << last;
            std::cout << " (" << stepNames(sameSteps) << "): the next start finds " << sameOutcome << "\n";
            sameSteps.clear();
        };
        for (int step = 1; step < 100; ++step) {
            const fs::path folder = root / ("run-" + std::to_string(++run)), told = root / "told";
            fs::create_directories(folder, ec);
            const fs::path name = folder / (std::string(kKey) + ".jpg");
            std::ofstream(name, std::ios::binary) << oldPhoto;
            const timespec oldTimes[2] = {kOldPhotoTime, kOldPhotoTime};
            ::utimensat(AT_FDCWD, name.c_str(), oldTimes, 0);
            const int status = runChild(folder, step, recordFails, told);
            const bool stopped = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
            std::vector<std::string> steps;
            std::ifstream lines(told);
            for (std::string line; std::getline(lines, line);) steps.push_back(line);
            const std::string outcome = nextStart(folder, oldPhoto, newPhoto);
            if (!stopped) {
                flush(step - 1);
                const bool ended = WIFEXITED(status) && WEXITSTATUS(status) == 0;
                std::cout << "   " << (ended ? "not stopped" : "the save FAILED") << " (" << steps.size()
                          << " steps): the next start finds " << outcome << "\n";
                break;
            }
            if (outcome != sameOutcome) {
                flush(step - 1);
                firstOfRun = step;
                sameOutcome = outcome;
            }
            sameSteps.push_back(steps.empty() ? "?" : steps.back());
        }
    }
    twoHostsAtOnce(root, oldPhoto, HostsSave::kit);
    twoHostsAtOnce(root, oldPhoto, HostsSave::ownPhotos);
    twoHostsAtOnce(root, oldPhoto, HostsSave::theStoreToo);
    aHostStoppedHoldingTheStore(root);
    linksLeftAside(root);
}
