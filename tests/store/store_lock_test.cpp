// The store's write lock, which every host sharing the data folder takes to save: held
// for the lookup made again, the photo's rename into place, a host's savePicture and the
// record's save, never while the kit encodes or writes a photo; what a host's savePicture
// saves meanwhile joins the record's write; and a host stopped while it holds it (an app
// suspended mid-save) costs the others a failed save, never their screens.
#include <signal.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <stdexcept>
#include <thread>
#include <set>
#include <string>
#include <vector>

#include "noisy_picture.hpp"
#include "stopped_runs.hpp"
#include "store_holder.hpp"
#include "store_fixture.hpp"
#include "support/file_size_limit.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/graphics/jpeg_encoding.hpp"
#include "vistrel/platform/ui/notification_center.hpp"
#include "vistrel/store/photo_name.hpp"
#include "vistrel/store/set_aside_photo.hpp"
#include "vistrel/store/stale_photo_files.hpp"
#include "vistrel/store/store_notifications.hpp"

using platform::dispatch::RunLoop;
using platform::graphics::Color;
using namespace storetest;

namespace {

constexpr const char* kFolderVariable = "VISTREL_STORE_LOCK_FOLDER";
constexpr const char* kPipesVariable = "VISTREL_STORE_LOCK_PIPES";

// A host's store whose savePicture runs `around` before and after the kit's own, counts the
// photos it was asked for and ends as `then` says; whose lookups run `inLookup` (with their
// number, from 1) once the kit's own lookup answered.
struct HostsStore : vistrel::PersistanceController {
    using PersistanceController::PersistanceController;
    enum class Then { answers, answersFalse, throws };
    std::function<void()> around = [] {};
    std::function<void(int)> inLookup = [](int) {};
    Then then = Then::answers;
    std::vector<std::string> asked;
    int lookups = 0;
    bool savePicture(const platform::graphics::Image& picture, std::string_view key) override {
        asked.emplace_back(key);
        around();
        const bool written = PersistanceController::savePicture(picture, key);
        around();
        if (then == Then::throws) throw std::runtime_error("the host's upload failed");
        return written && then == Then::answers;
    }
    std::optional<vistrel::VistrelImages> retrieveImages(std::optional<platform::store::Predicate> predicate) override {
        auto found = PersistanceController::retrieveImages(std::move(predicate));
        inLookup(++lookups);
        return found;
    }
};

using StoreLockTest = StoreTest;

// Whatever writes a photo (a photo taken offline, a scan recorded, the migration of a photo
// an earlier version kept inside its record), another host can take the store's write lock
// at once at every step of the kit's own encode and write; the lock is held from the
// lookup made again to the record's save, and every change of what the photo's name holds
// (what had it set aside, the photo put there, a host's savePicture) is made under it.
TEST_F(StoreLockTest, NoHostWaitsForTheStoreWhileAPhotoIsEncodedOrWritten) {
    const auto noisy = testsupport::noisyPicture(3);
    const std::string jpeg = *platform::graphics::encodeJpeg(noisy, 1.0);
    ASSERT_GT(jpeg.size(), 256u * 1024);  // written in several pieces
    const struct {
        const char* name;
        std::function<bool(HostsStore&)> write;
        bool saved = true;
    } rows[] = {
        {"a photo taken offline", [&](HostsStore& store) { return store.createRandomVistrelImage(noisy, at(1)) != nullptr; }},
        {"a scan recorded",
         [&](HostsStore& store) { return store.loadOrCreateVistrelImage("doc", "page", "t", noisy, at(2)) != nullptr; }},
        {"a photo migrated",
         [](HostsStore& store) {
             auto recorder = std::make_shared<Recorder>();
             store.migrateWithDelegate(recorder);
             RunLoop::runUntilIdle();
             return recorder->finished == 1;
         }},
        // Another program's index refuses the record (it has the date of another): the lock
        // is still held once the save failed, as what the photo's name holds is undone, so
        // no other host ever sees the photo of a record not saved.
        {"a scan whose record is not saved",
         [&](HostsStore& store) {
             runSql(store.layer->applicationDocumentsDirectory() / "VistrelData.sqlite",
                    "CREATE UNIQUE INDEX one_a_date ON VistrelImage(date)");
             return store.loadOrCreateVistrelImage("doc", "page", "t", noisy, at(0)) != nullptr;
         },
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(docs);
        storeOld({{"old", jpeg}});
        // What a deleted record left at the name, set aside for the new photo.
        dir.write("docs/page.jpg", jpeg);
        dir.write("docs/old.jpg", jpeg);
        const auto file = docs / "VistrelData.sqlite";
        auto store = std::make_shared<HostsStore>(controller()->layer);
        std::set<std::string> locked;  // where another host would have waited
        int probes = 0;
        const auto probe = [&](std::string_view where) {
            ++probes;
            if (!anotherHostCanWrite(file)) locked.emplace(where);
        };
        store->around = [&] { probe("savePicture"); };
        static std::function<void(std::string_view)> atStep;
        atStep = [&](std::string_view step) {
            if (step.starts_with("write: ") || step.starts_with("photo: ") || step.starts_with("record: ")) probe(step);
        };
        platform::setFileStepObserver([](std::string_view step) { atStep(step); });
        const bool written = row.write(*store);
        platform::setFileStepObserver(nullptr);
        EXPECT_EQ(written, row.saved);
        EXPECT_GE(probes, 7);
        // What the name holds changes under the lock, with the record's save; the photo's
        // encode and write ("write: temporary opened", "write: piece written", "write:
        // flushed") are not under it, nor what was set aside dropped once the record is saved.
        std::set<std::string> underTheLock = {"savePicture", "write: renamed", "record: saving"};
        if (std::string_view(row.name) == "a photo migrated") underTheLock.erase("record: saving");
        if (std::string_view(row.name) != "a photo taken offline")
            underTheLock.insert({"photo: setting aside", "photo: set aside", "photo: stamped"});
        if (!row.saved) underTheLock.insert({"record: saved", "photo: new one removed", "photo: putting back"});
        EXPECT_EQ(locked, underTheLock);
        EXPECT_EQ(store->asked.size(), 1u);
        for (const auto& entry : std::filesystem::directory_iterator(docs))
            EXPECT_FALSE(vistrel::isTemporaryPhotoName(entry.path().filename().string())) << entry.path();
    }
}

// What a host's savePicture, or its lookup made under the store's write lock, saves of its
// own (a favourite's mark, every record deleted) joins the record's write and is answered
// true: nothing is committed and the lock is not let go until the write ends, and then it is
// in the store, with the record or on its own, whatever became of the record (not saved,
// found, host code answering false or throwing, a photo migrated or not). Only a full disk
// keeps it out, said in the log, pending. Another context of the store cannot join: its
// save fails meanwhile, and succeeds after. A scan recorded from inside is refused; the
// migration run from inside goes on once the write ends. A call of the store from another thread while savePicture runs the main
// loop is answered at once, a read as a save that joins the write, and a scan it records
// waits for the write to end; while savePicture blocks, for as long as a slow upload or a
// run of photos migrated takes, it waits for each write and then runs, given up only past
// the bound when savePicture waits for that very thread (a sign-out's delete of every record
// is still done once the write ends). What a did-save observer records as what joined is
// written is recorded. A savePicture or a lookup that ends the store's write has its record
// given up, said in the log: no name is cleared and no photo put at it, no photo moved,
// without the lock.
TEST_F(StoreLockTest, WhatAHostSavesInsideARecordsWriteIsInTheStoreOnceTheWriteEnds) {
    enum class Inside {
        marksAFavourite, deletesEveryRecord, anotherContextSaves, recordsAnother, migrates, endsTheWrite,
        waitsForAThreadThatSaves, waitsForAThreadThatRecords, runsTheLoopAsAThreadRecords,
        runsTheLoopAsAThreadListsAndSaves, uploadsAsAThreadListsAndSaves, waitsForAThreadThatDeletesEveryRecord
    };
    enum class When { afterTheKitsWrite, beforeTheKitsWrite, inTheLookup };
    using Then = HostsStore::Then;
    // What an observer of the store's first did-save does.
    enum class Observer { none, recordsAScan, waitsForAThreadThatLists };
    const struct {
        const char* name;
        Inside inside;
        When when = When::afterTheKitsWrite;
        Then then = Then::answers;
        bool migrates = false, fullDisk = false;
        bool recorded = true;
        long long favourite = 0;  // the other record's mark in the store at the end; -1: no record
        const char* logged = nullptr;
        std::chrono::milliseconds upload{0};  // how long each photo's savePicture blocks after the kit's write
        bool shortBound = false;              // a call from another thread given up after a short wait
        Observer observer = Observer::none;  // "inner" the scan it records
    } rows[] = {
        {"a scan recorded", Inside::marksAFavourite, {}, {}, false, false, true, 1},
        {"a scan whose record is not saved", Inside::marksAFavourite, {}, {}, false, true, false, 0,
         "what was saved during a record's save could not be written (0 new, 1 changed, 0 deleted records)"},
        {"a photo migrated", Inside::marksAFavourite, {}, {}, true, false, true, 1},
        {"a scan whose savePicture then answers false", Inside::marksAFavourite, {}, Then::answersFalse, false, false,
         false, 1},
        {"a scan whose savePicture then throws", Inside::marksAFavourite, {}, Then::throws, false, false, false, 1},
        {"a photo migrated whose savePicture then answers false", Inside::marksAFavourite, {}, Then::answersFalse,
         true, false, false, 1},
        {"a scan another host records as it is looked up again", Inside::marksAFavourite, When::inTheLookup, {},
         false, false, true, 1},
        {"a scan whose savePicture deletes every record, then answers false", Inside::deletesEveryRecord, {},
         Then::answersFalse, false, false, false, -1},
        {"a scan whose savePicture saves another context", Inside::anotherContextSaves, {}, {}, false, false, true, 1},
        {"another scan recorded inside", Inside::recordsAnother},
        {"the migration run inside", Inside::migrates},
        {"a scan whose savePicture ends the store's write", Inside::endsTheWrite, {}, {}, false, false, false, 0,
         "the store's write lock was let go while the photo of page was written"},
        {"a scan whose savePicture ends the store's write before the kit's own", Inside::endsTheWrite,
         When::beforeTheKitsWrite, {}, false, false, false, 0, "no longer held as a new photo is to take its name"},
        {"a photo migrated whose savePicture ends the store's write", Inside::endsTheWrite, {}, {}, true, false, false,
         0, "the store's write lock was let go while the photo of page was written"},
        {"a scan whose lookup ends the store's write", Inside::endsTheWrite, When::inTheLookup, {}, false, false, false,
         0, "no longer held as its name is to be cleared"},
        {"a scan whose savePicture waits for a thread that saves", Inside::waitsForAThreadThatSaves, {}, {}, false,
         false, true, 0, "waited for one write of the store the main thread holds as long as it may", {}, true},
        {"a scan whose savePicture waits for a thread that records a scan", Inside::waitsForAThreadThatRecords, {}, {},
         false, false, true, 0, "it is given up", {}, true},
        // ... and then lists: given up at once, in the write that holds its thread.
        {"a scan whose savePicture waits for a thread that deletes every record",
         Inside::waitsForAThreadThatDeletesEveryRecord, {}, {}, false, false, true, -1,
         "in which a call was given up already; it is given up", {}, true},
        {"a scan whose savePicture runs the main loop as a thread records a scan", Inside::runsTheLoopAsAThreadRecords},
        {"a scan whose savePicture runs the main loop as a thread lists and saves",
         Inside::runsTheLoopAsAThreadListsAndSaves, {}, {}, false, false, true, 1},
        // Longer than a call from another thread once waited for all the writes it met.
        {"a scan whose savePicture blocks on a slow upload as a thread lists and saves",
         Inside::uploadsAsAThreadListsAndSaves, {}, {}, false, false, true, 1, nullptr,
         platform::store::kWriteWaitBound + std::chrono::milliseconds(500)},
        {"a run of photos migrated, each savePicture a short upload, as a thread lists and saves",
         Inside::uploadsAsAThreadListsAndSaves, {}, {}, true, false, true, 1, nullptr,
         platform::store::kWriteWaitBound / 2},
        {"a scan whose savePicture then answers false, an observer recording a scan as what joined is written",
         Inside::marksAFavourite, {}, Then::answersFalse, false, false, false, 1, nullptr, {}, false,
         Observer::recordsAScan},
        {"a scan whose savePicture then answers false, an observer waiting for a thread that lists as what joined is "
         "written", Inside::marksAFavourite, {}, Then::answersFalse, false, false, false, 1, "it is given up", {}, true,
         Observer::waitsForAThreadThatLists},
    };
    const std::string jpeg = *platform::graphics::encodeJpeg(picture(Color::green()), 1.0);
    const std::string deleted = *platform::graphics::encodeJpeg(picture(Color::blue()), 1.0);
    static bool putOff;
    platform::setFileStepObserver([](std::string_view step) {
        putOff = putOff || step == "store: put off until the main thread's write ends";
    });
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(docs);
        log.clear();
        putOff = false;
        if (row.migrates) storeOld({{"page", jpeg}});
        // What a deleted record left at the name: no lock, no clearing.
        if (row.when == When::inTheLookup && row.inside == Inside::endsTheWrite) dir.write("docs/page.jpg", deleted);
        const auto file = docs / "VistrelData.sqlite";
        auto store = std::make_shared<HostsStore>(controller()->layer);
        auto kept = store->loadOrCreateVistrelImage("doc", "kept", "t", picture(Color::red()), at(1));
        ASSERT_TRUE(kept);
        store->then = row.then;
        store->lookups = 0;
        bool heldInside = false, threadSaved = true, answeredInside = false;
        std::atomic<bool> listedDuring = false;
        std::future<std::pair<bool, bool>> listedAndSaved;  // what a thread's list and save answered
        long long favouriteInside = -1;
        std::shared_ptr<vistrel::VistrelImage> again;
        std::future<std::shared_ptr<vistrel::VistrelImage>> later;
        std::shared_ptr<platform::store::ManagedObjectContext> another;
        auto innerMigration = std::make_shared<Recorder>();
        const auto recordInner = [&] {
            return store->loadOrCreateVistrelImage("doc", "inner", "inner", picture(Color::blue()), at(2));
        };
        const auto act = [&] {
            switch (row.inside) {
            case Inside::marksAFavourite:
                kept->setIsFavorite(true);
                EXPECT_TRUE(store->saveContext());
                break;
            case Inside::deletesEveryRecord: store->deleteAllImages(); break;
            case Inside::anotherContextSaves: {
                another = platform::store::ManagedObjectContext::make(store->layer->persistentStoreCoordinator());
                auto request = vistrel::VistrelImage::fetchRequest();
                request.predicate = platform::store::Predicate::equals("identifier", "kept");
                auto found = another->execute(request);
                ASSERT_TRUE(found && found->size() == 1);
                std::dynamic_pointer_cast<vistrel::VistrelImage>(found->front())->setIsFavorite(true);
                EXPECT_TRUE(another->save());  // an error: it cannot be written with the record
                break;
            }
            case Inside::recordsAnother: again = recordInner(); break;
            case Inside::migrates:
                store->migrateWithDelegate(innerMigration);
                RunLoop::runUntilIdle();
                break;
            case Inside::endsTheWrite: store->layer->persistentStoreCoordinator()->endWriting(); return;
            case Inside::waitsForAThreadThatSaves: std::thread([&] { threadSaved = store->saveContext(); }).join(); break;
            case Inside::waitsForAThreadThatRecords: std::thread([&] { again = recordInner(); }).join(); break;
            case Inside::waitsForAThreadThatDeletesEveryRecord:
                std::thread([&] {
                    store->deleteAllImages();
                    store->retrieveImages(std::nullopt);
                }).join();
                break;
            case Inside::runsTheLoopAsAThreadListsAndSaves:
            case Inside::uploadsAsAThreadListsAndSaves:
                // The mark is the main thread's; the thread's save is a host's "keep it".
                kept->setIsFavorite(true);
                listedAndSaved = std::async(std::launch::async, [&] {
                    const auto listed = store->retrieveImages(std::nullopt);
                    listedDuring = true;
                    return std::pair(listed && !listed->empty(), store->saveContext());
                });
                if (row.inside == Inside::uploadsAsAThreadListsAndSaves) break;
                // The list answered at once; the save once the record's is committed.
                RunLoop::runUntil([&] { return listedDuring && putOff; }, std::chrono::minutes(2));
                answeredInside = listedDuring &&
                                 listedAndSaved.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
                break;
            case Inside::runsTheLoopAsAThreadRecords:
                later = std::async(std::launch::async, recordInner);
                RunLoop::runUntil(
                    [&] { return putOff || later.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                    std::chrono::minutes(2));
                break;
            }
            heldInside = !anotherHostCanWrite(file);
            favouriteInside = sqlInteger(file, "SELECT isFavorite FROM VistrelImage WHERE identifier = 'kept'");
        };
        int calls = 0;
        store->around = [&] {
            // Once the kit's savePicture wrote, or before it wrote.
            if (row.when != When::inTheLookup && ++calls == (row.when == When::afterTheKitsWrite ? 2 : 1)) act();
            if (row.upload.count() > 0 && calls % 2 == 0) std::this_thread::sleep_for(row.upload);  // the host's upload
        };
        if (row.shortBound) platform::store::setMainThreadCallWaitBound(std::chrono::milliseconds(200));
        std::optional<platform::ui::ObserverToken> observer;
        if (row.observer != Observer::none)
            observer = platform::ui::NotificationCenter::defaultCenter().addObserver(
                std::string(vistrel::managedObjectContextDidSaveNotification), nullptr,
                [&](const platform::ui::Notification&) {
                    store->then = Then::answers;
                    if (row.observer == Observer::waitsForAThreadThatLists)
                        std::thread([&] { store->retrieveImages(std::nullopt); }).join();
                    else if (!again)
                        again = recordInner();
                });
        store->inLookup = [&](int lookup) {
            if (row.when != When::inTheLookup) return;
            // Another host records the scan between the two lookups; the second, made under
            // the lock, finds it.
            if (lookup == 1 && row.inside != Inside::endsTheWrite) {
                ASSERT_TRUE(controller()->loadOrCreateVistrelImage("doc", "page", "another host's",
                                                                   picture(Color::green()), at(4)));
            }
            if (lookup == 2) act();
        };
        bool recorded;
        if (row.migrates) {
            if (row.upload.count() > 0) storeOld({{"page-2", jpeg}, {"page-3", jpeg}});
            auto recorder = std::make_shared<Recorder>();
            store->migrateWithDelegate(recorder);
            RunLoop::runUntilIdle();
            recorded = recorder->finished == 1;
        } else {
            std::optional<testsupport::ScopedFileSizeLimit> full;
            if (row.fullDisk) full.emplace(4096);
            const auto record = [&] {
                return store->loadOrCreateVistrelImage("doc", "page", "t", picture(Color::green()), at(3)) != nullptr;
            };
            if (row.then == Then::throws) {
                EXPECT_THROW(record(), std::runtime_error);
                recorded = false;
            } else {
                recorded = record();
            }
        }
        platform::store::setMainThreadCallWaitBound(std::nullopt);
        RunLoop::runUntilIdle();  // what was put off until the write ended
        if (observer) platform::ui::NotificationCenter::defaultCenter().removeObserver(*observer);
        if (listedAndSaved.valid()) {
            RunLoop::runUntil([&] { return listedAndSaved.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                              std::chrono::minutes(2));
            EXPECT_EQ(listedAndSaved.get(), std::pair(true, true));
            EXPECT_EQ(answeredInside, row.inside == Inside::runsTheLoopAsAThreadListsAndSaves);
        }
        if (later.valid()) {
            RunLoop::runUntil([&] { return later.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                              std::chrono::minutes(2));
            again = later.get();
        }
        EXPECT_EQ(recorded, row.recorded);
        EXPECT_EQ(heldInside, row.inside != Inside::endsTheWrite);
        EXPECT_EQ(favouriteInside, row.inside != Inside::endsTheWrite ? 0 : -1);
        if (row.logged) {
            EXPECT_TRUE(log.contains(row.logged));
        }
        EXPECT_EQ(threadSaved, row.inside != Inside::waitsForAThreadThatSaves);
        if (another) {
            EXPECT_TRUE(another->hasChanges());
            EXPECT_FALSE(another->save());
        }
        EXPECT_EQ(sqlInteger(file, "SELECT isFavorite FROM VistrelImage WHERE identifier = 'kept'"), row.favourite);
        // Only what a full disk kept out is still pending.
        EXPECT_EQ(store->layer->managedObjectContext()->hasChanges(), row.fullDisk);
        const bool everyRecordDeleted = row.inside == Inside::waitsForAThreadThatDeletesEveryRecord;
        EXPECT_EQ(sqlInteger(file, "SELECT count(*) FROM VistrelImage WHERE identifier = 'page'"),
                  (recorded || row.migrates) && !everyRecordDeleted ? 1 : 0);
        if (row.migrates) {
            EXPECT_EQ(sqlInteger(file, "SELECT count(*) FROM VistrelImage WHERE picture NOTNULL"), !recorded);
        }
        const bool innerRecorded = row.inside == Inside::runsTheLoopAsAThreadRecords || row.observer == Observer::recordsAScan;
        EXPECT_EQ(sqlInteger(file, "SELECT count(*) FROM VistrelImage WHERE title = 'inner'"), innerRecorded);
        EXPECT_EQ(again != nullptr, innerRecorded);
        EXPECT_EQ(std::filesystem::exists(store->picturePath("inner")), innerRecorded);
        // A migration asked for inside runs once the write ends.
        EXPECT_EQ(innerMigration->failed, 0);
        EXPECT_EQ(innerMigration->finished, row.inside == Inside::migrates ? 1 : 0);
        const auto photo = row.migrates ? platform::graphics::encodeJpeg(*platform::graphics::Image::decode(jpeg), 1.0)
                                        : std::optional(jpeg);
        if (recorded) EXPECT_EQ(platform::readFile(store->picturePath("page"), 1u << 20), photo);
        else if (row.when == When::inTheLookup) EXPECT_EQ(platform::readFile(store->picturePath("page"), 1u << 20), deleted);
        else EXPECT_FALSE(std::filesystem::exists(store->picturePath("page")));
        for (const auto& entry : std::filesystem::directory_iterator(docs))
            EXPECT_FALSE(vistrel::isTemporaryPhotoName(entry.path().filename().string())) << entry.path();
    }
    platform::setFileStepObserver(nullptr);
    // Nor does the clean-up's restore give a photo its name back once the lock was let go.
    auto context = controller()->layer->managedObjectContext();
    platform::store::WriteLock lock(*context);
    ASSERT_TRUE(lock.held());
    context->persistentStoreCoordinator()->endWriting();
    const auto aside = dir.write("docs/x.jpg.aside-1", "set aside");
    EXPECT_FALSE(vistrel::PhotoName::takeBack(lock, aside, docs / "x.jpg", timespec{}, false));
    EXPECT_TRUE(std::filesystem::exists(aside));
    EXPECT_FALSE(std::filesystem::exists(docs / "x.jpg"));
}

// The child: a host recording a scan that stops at its record's save, the store's write
// lock held, as an app suspended there would, until it is killed.
TEST_F(StoreLockTest, DISABLED_HoldTheStoreAtARecordsSave) {
    const char* folder = std::getenv(kFolderVariable);
    const char* pipes = std::getenv(kPipesVariable);
    if (!folder || !pipes) GTEST_SKIP() << "run by AHostStoppedWhileItHoldsTheStoreCostsTheOthersAFailedSave";
    docs = folder;
    int signalFd = -1, waitFd = -1;
    ASSERT_EQ(std::sscanf(pipes, "%d %d", &signalFd, &waitFd), 2);
    testsupport::recordAndHoldTheStore(*controller(), signalFd, waitFd);
}

// While another host is stopped holding the store's write lock, a favourite's save, a
// scan's record and the migration each fail after one short wait (a few seconds at most,
// never the quarter of a minute a busy store once cost) instead of holding the main
// thread; savePicture is not asked, since it runs under the lock; the migration stops at
// its first record, its photos kept inside their records; nothing is left beside the
// photos. Once that host is gone, each is done.
TEST_F(StoreLockTest, AHostStoppedWhileItHoldsTheStoreCostsTheOthersAFailedSave) {
    const std::string jpeg = *platform::graphics::encodeJpeg(picture(Color::blue()), 0.9);
    storeOld({{"a", jpeg}, {"b", jpeg}, {"c", jpeg}, {"d", jpeg}});
    auto store = std::make_shared<HostsStore>(controller()->layer);
    ASSERT_TRUE(store->loadOrCreateVistrelImage("doc", "kept", "t", picture(Color::red()), at(5)));
    store->asked.clear();

    testsupport::ProcessSignal holds, never;
    const pid_t holder = testsupport::startThisProgram(
        {"--gtest_also_run_disabled_tests", "--gtest_filter=StoreLockTest.DISABLED_HoldTheStoreAtARecordsSave"},
        {std::string(kFolderVariable) + "=" + docs.string(),
         std::string(kPipesVariable) + "=" + std::to_string(holds.writeEnd) + " " + std::to_string(never.readEnd),
         childrensTemporaryFolder()},
        dir / "holder-output", true);
    ASSERT_TRUE(testsupport::ProcessSignal::waitFor(holds.readEnd))
        << platform::readFile(dir / "holder-output", 1u << 20).value_or("");

    auto kept = store->loadVistrelImages({"kept"});
    ASSERT_TRUE(kept);
    kept->front()->setIsFavorite(true);
    static int waits;
    waits = 0;
    platform::setFileStepObserver([](std::string_view step) { waits += step == "store: waiting for another host's write"; });
    // A bound that catches a wait as long as a busy store once cost, not a pace.
    constexpr auto bound = std::chrono::seconds(8);
    auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(store->saveContext());
    EXPECT_LT(std::chrono::steady_clock::now() - started, bound);
    started = std::chrono::steady_clock::now();
    EXPECT_FALSE(store->loadOrCreateVistrelImage("doc", "scan", "t", picture(Color::red()), at(6)));
    EXPECT_LT(std::chrono::steady_clock::now() - started, bound);
    EXPECT_FALSE(std::filesystem::exists(store->picturePath("scan")));
    auto recorder = std::make_shared<Recorder>();
    started = std::chrono::steady_clock::now();
    store->migrateWithDelegate(recorder);
    RunLoop::runUntilIdle();
    EXPECT_LT(std::chrono::steady_clock::now() - started, bound);
    EXPECT_EQ(std::pair(recorder->finished, recorder->failed), std::pair(0, 1));
    EXPECT_EQ(waits, 3);  // the migration stopped at its first
    // An opening never waits for it to tidy what a stopped run left aside: that waits for a
    // later opening, and the log says who holds the store.
    const auto aside = vistrel::setAsidePathFor(docs / "gone.jpg", timespec{1'600'000'000, 0});
    dir.write("docs/" + aside.filename().string(), jpeg);
    testsupport::ageByAnHour(docs);
    ASSERT_TRUE(controller()->retrieveImages());
    platform::setFileStepObserver(nullptr);
    EXPECT_EQ(waits, 3);
    EXPECT_TRUE(log.contains("the store's write lock is held by another host; photos an earlier run left aside"));
    EXPECT_TRUE(std::filesystem::exists(aside));
    EXPECT_FALSE(std::filesystem::exists(docs / "gone.jpg"));
    EXPECT_TRUE(store->asked.empty());
    EXPECT_EQ(sqlInteger(docs / "VistrelData.sqlite", "SELECT count(*) FROM VistrelImage WHERE picture NOTNULL"), 4);
    for (const auto& entry : std::filesystem::directory_iterator(docs))
        EXPECT_EQ(vistrel::isTemporaryPhotoName(entry.path().filename().string()), entry.path() == aside)
            << entry.path();

    ::kill(holder, SIGKILL);
    testsupport::waitForChild(holder);
    EXPECT_TRUE(store->saveContext());
    EXPECT_TRUE(store->loadOrCreateVistrelImage("doc", "scan", "t", picture(Color::red()), at(6)));
    store->migrateWithDelegate(recorder);
    RunLoop::runUntilIdle();
    EXPECT_EQ(recorder->finished, 1);
    EXPECT_EQ(sqlInteger(docs / "VistrelData.sqlite", "SELECT count(*) FROM VistrelImage WHERE picture NOTNULL"), 0);
    kept = controller()->loadVistrelImages({"kept"});
    ASSERT_TRUE(kept);
    EXPECT_TRUE(kept->front()->isFavorite());
    EXPECT_EQ(platform::readFile(docs / "gone.jpg", 1u << 20), jpeg);  // taken back by that later opening
}

}  // namespace
