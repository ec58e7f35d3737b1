#include <functional>
#include <stdexcept>
#include <utility>

#include "store_fixture.hpp"
#include "vistrel/core/vistrel_pref.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/graphics/image_decoding.hpp"
#include "vistrel/platform/graphics/jpeg_encoding.hpp"
#include "vistrel/platform/ui/window.hpp"
#include "vistrel/screens/migration/migration_view_controller.hpp"
#include "vistrel/store/stale_photo_files.hpp"

using platform::dispatch::RunLoop;
using platform::graphics::Color;
using namespace storetest;

namespace {

struct MigrationTest : StoreTest {
    std::string jpeg = *platform::graphics::encodeJpeg(picture(Color::blue()), 0.9);

    std::map<std::string, bool> blobsByIdentifier() {
        std::map<std::string, bool> result;
        auto images = controller()->retrieveImages();
        for (const auto& image : *images)
            result[image->identifier().value_or("-")] = image->picture().has_value();
        return result;
    }

    // Runs the migration of `history` to its end, another host sharing the store acting as
    // `meanwhile` says once the first photo is written beside its name, before the store's
    // write lock is taken.
    static std::shared_ptr<Recorder> migrate(vistrel::PersistanceController& history, std::function<void()> act) {
        static std::function<void()> meanwhile;
        meanwhile = std::move(act);
        platform::setFileStepObserver([](std::string_view step) {
            if (step == "write: flushed")
                if (auto acting = std::exchange(meanwhile, nullptr)) acting();
        });
        auto recorder = std::make_shared<Recorder>();
        history.migrateWithDelegate(recorder);
        RunLoop::runUntilIdle();
        platform::setFileStepObserver(nullptr);
        EXPECT_FALSE(meanwhile) << "the other host never acted";
        return recorder;
    }
};

TEST_F(MigrationTest, MovesEveryPhotoBeyondTheHistorySizeAndKeepsWhatItCannotRead) {
    std::vector<std::pair<std::optional<std::string>, std::optional<std::string>>> records;
    for (int i = 0; i < 14; ++i) records.emplace_back(std::string{'r', char('a' + i)}, jpeg);
    records.emplace_back("garbage", std::string("not a picture"));
    records.emplace_back(std::nullopt, jpeg);
    records.emplace_back("none", std::nullopt);
    storeOld(records);

    auto history = controller("12");
    auto recorder = std::make_shared<Recorder>();
    history->migrateWithDelegate(recorder);
    history->migrateWithDelegate(recorder);  // while the first runs: ignored
    EXPECT_EQ(recorder->finished, 0);
    RunLoop::runUntilIdle();
    EXPECT_EQ(recorder->finished, 1);
    EXPECT_EQ(recorder->failed, 0);
    auto blobs = blobsByIdentifier();
    for (int i = 0; i < 14; ++i) {
        std::string name{'r', char('a' + i)};
        EXPECT_FALSE(blobs[name]) << name;
        EXPECT_TRUE(history->getPicture(name)) << name;
    }
    EXPECT_TRUE(blobs["garbage"]);
    EXPECT_TRUE(blobs["-"]);
    EXPECT_FALSE(std::filesystem::exists(docs / "garbage.jpg"));
    EXPECT_FALSE(std::filesystem::exists(docs / "none.jpg"));
}

// A host's store whose savePicture throws for one key.
struct ThrowsFor : vistrel::PersistanceController {
    using PersistanceController::PersistanceController;
    std::string key;
    bool savePicture(const platform::graphics::Image& picture, std::string_view asked) override {
        if (asked == key) throw std::runtime_error("the host's own failure");
        return PersistanceController::savePicture(picture, asked);
    }
};

// A photo whose file cannot be written, or whose host's savePicture throws, keeps its blob;
// the others move, and the screen is told that the migration is not done.
TEST_F(MigrationTest, PhotoThatCannotBeWrittenKeepsItsBlobAndTheMigrationIsNotDone) {
    for (const bool throws : {false, true}) {
        SCOPED_TRACE(throws ? "savePicture throws" : "the file cannot be written");
        std::filesystem::remove_all(docs);
        storeOld({{"blocked", jpeg}, {"fine", jpeg}});
        auto history = std::make_shared<ThrowsFor>(controller()->layer);
        if (throws) history->key = "blocked";
        else std::filesystem::create_directories(docs / "blocked.jpg");  // nothing can be renamed over it
        auto recorder = std::make_shared<Recorder>();
        history->migrateWithDelegate(recorder);
        RunLoop::runUntilIdle();
        EXPECT_EQ(recorder->failed, 1);
        EXPECT_EQ(recorder->finished, 0);
        auto blobs = blobsByIdentifier();
        EXPECT_TRUE(blobs["blocked"]);
        EXPECT_FALSE(blobs["fine"]);
    }
    EXPECT_TRUE(log.contains("the host's own failure"));
}

// A host's store that notes, at each photo it is asked to write, how many records hold
// an old photo in memory, and how many still hold one in the file (what a run stopped
// there would leave).
struct CountingBlobsHeld : vistrel::PersistanceController {
    using PersistanceController::PersistanceController;
    std::vector<std::size_t> held;
    std::vector<long long> inTheFile;
    bool savePicture(const platform::graphics::Image& picture, std::string_view key) override {
        std::size_t count = 0;
        for (const auto& image : retrieveImages().value_or(vistrel::VistrelImages{}))
            count += !image->isUnread("picture") && std::holds_alternative<std::string>(image->value("picture"));
        held.push_back(count);
        inTheFile.push_back(sqlInteger(picturePath("x").parent_path() / "VistrelData.sqlite",
                                       "SELECT count(*) FROM VistrelImage WHERE picture NOTNULL"));
        return PersistanceController::savePicture(picture, key);
    }
};
// The migration reads one record's photo at a time, and lets go of it once decoded; each
// The migration reads one record's photo at a time, and lets go of a blob that stays; each
// photo moved is saved so before the next is read, so that a run stopped between two
// records keeps what it moved. A record whose photo cannot be read when its turn comes
// keeps it, and the migration is not done: it is tried again.
TEST_F(MigrationTest, ReadsOneRecordsPhotoAtATime) {
    storeOld({{"a", jpeg}, {"x", std::string("not a picture")}, {"b", jpeg}, {"y", std::string("no picture either")},
              {"c", jpeg}});
    const auto controller = [&] {
        auto made = this->controller();
        return std::make_shared<CountingBlobsHeld>(made->layer);
    };
    auto history = controller();
    auto recorder = std::make_shared<Recorder>();
    history->migrateWithDelegate(recorder);
    RunLoop::runUntilIdle();
    EXPECT_EQ(recorder->finished, 1);
    EXPECT_EQ(history->held, (std::vector<std::size_t>{0, 0, 0}));  // let go once decoded
    EXPECT_EQ(history->inTheFile, (std::vector<long long>{5, 4, 3}));  // c, b, a in turn
    EXPECT_EQ(blobsByIdentifier(), (std::map<std::string, bool>{{"a", false}, {"b", false}, {"c", false},
                                                                {"x", true}, {"y", true}}));

    storeOld({{"d", jpeg}});
    history = controller();
    auto context = history->layer->managedObjectContext();
    platform::store::FetchRequest request = vistrel::VistrelImage::fetchRequest();
    request.predicate = platform::store::Predicate::equals("identifier", std::string("d"));
    request.propertiesToFetch = std::vector<std::string>{"identifier"};
    auto fetched = context->execute(request);
    runSql(docs / "VistrelData.sqlite", "ALTER TABLE VistrelImage RENAME TO Away;");
    history->processAsynchronousFetchResult(fetched, recorder);
    runSql(docs / "VistrelData.sqlite", "ALTER TABLE Away RENAME TO VistrelImage;");
    EXPECT_EQ(recorder->failed, 1);
    EXPECT_TRUE(history->held.empty());
    EXPECT_TRUE(blobsByIdentifier()["d"]);
}

// A photo longer than any picture file the kit reads (a store another program wrote) is
// never read, not even for its turn: it stays in its record, as a blob that is no image
// does, and the others move.
TEST_F(MigrationTest, APhotoLongerThanAnyPictureIsNeverRead) {
    storeOld({{"a", jpeg}, {"long", std::string("x")}});
    const auto file = docs / "VistrelData.sqlite";
    runSql(file, ("PRAGMA journal_mode = DELETE; PRAGMA synchronous = OFF; UPDATE VistrelImage SET picture = zeroblob(" +
                  std::to_string(platform::graphics::maxImageFileBytes + 1) + ") WHERE identifier = 'long';")
                     .c_str());
    auto recorder = std::make_shared<Recorder>();
    auto history = controller();
    SqliteHeapRise rise;
    history->migrateWithDelegate(recorder);
    RunLoop::runUntilIdle();
    EXPECT_LT(rise.mebibytes(), 8);
    EXPECT_EQ(std::pair(recorder->finished, recorder->failed), std::pair(1, 0));
    EXPECT_TRUE(history->getPicture("a"));
    EXPECT_EQ(sqlInteger(file, "SELECT count(*) FROM VistrelImage WHERE picture NOTNULL"), 1);
    EXPECT_EQ(sqlInteger(file, "SELECT length(picture) FROM VistrelImage WHERE identifier = 'long'"),
              static_cast<long long>(platform::graphics::maxImageFileBytes + 1));
    EXPECT_TRUE(log.contains("too long to be a picture"));
}

// The migration writes a record's photo only while the record still holds it, as the store
// is when the photo takes its name: a record another host deleted and recorded anew since
// the migration read it, or whose photo that host moved itself, keeps the other host's
// photo and record as they are, and the run is done.
TEST_F(MigrationTest, WritesAPhotoOnlyForARecordThatStillHoldsIt) {
    const auto red = *platform::graphics::encodeJpeg(picture(Color::red()), 1.0);
    const struct {
        const char* name;
        std::function<void(vistrel::PersistanceController& other)> act;
    } rows[] = {
        {"deleted, then recorded again",
         [&](vistrel::PersistanceController& other) {
             auto context = other.layer->managedObjectContext();
             context->deleteObject(other.loadVistrelImages({"r"}).value().front());
             ASSERT_TRUE(other.saveContext());
             ASSERT_TRUE(other.loadOrCreateVistrelImage("doc", "r", "again", picture(Color::red()), at(9)));
         }},
        {"moved by the other host",
         [&](vistrel::PersistanceController& other) {
             ASSERT_TRUE(other.savePicture(picture(Color::red()), "r"));
             runSql(docs / "VistrelData.sqlite", "UPDATE VistrelImage SET picture = NULL WHERE identifier = 'r'");
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(docs);
        storeOld({{"r", jpeg}});
        auto history = controller();
        auto other = controller();
        const auto recorder = migrate(*history, [&] { row.act(*other); });
        EXPECT_EQ(std::pair(recorder->finished, recorder->failed), std::pair(1, 0));
        EXPECT_EQ(platform::readFile(docs / "r.jpg", 64u << 20), red);
        EXPECT_EQ(sqlInteger(docs / "VistrelData.sqlite", "SELECT count(*) FROM VistrelImage WHERE identifier = 'r'"), 1);
        EXPECT_EQ(sqlInteger(docs / "VistrelData.sqlite", "SELECT count(*) FROM VistrelImage WHERE picture NOTNULL"), 0);
        for (const auto& entry : std::filesystem::directory_iterator(docs))
            EXPECT_FALSE(vistrel::isTemporaryPhotoName(entry.path().filename().string())) << entry.path();
    }
}

// Records another host deletes while the migration runs (one behind the record being
// moved, the one being moved) have nothing left to move: the run is done, not failed, and
// the photos of the others are moved.
TEST_F(MigrationTest, RecordsDeletedWhileItRunsHaveNothingLeftToMove) {
    storeOld({{"a", jpeg}, {"b", jpeg}, {"c", jpeg}});  // moved c, b, a in turn
    auto history = controller();
    auto other = controller();
    const auto recorder = migrate(*history, [&] {  // as c's photo is written
        auto context = other->layer->managedObjectContext();
        const auto images = other->loadVistrelImages({"a", "c"}).value_or(vistrel::VistrelImages{});
        ASSERT_EQ(images.size(), 2u);
        for (const auto& image : images) context->deleteObject(image);
        ASSERT_TRUE(other->saveContext());
    });
    EXPECT_EQ(std::pair(recorder->finished, recorder->failed), std::pair(1, 0));
    EXPECT_EQ(blobsByIdentifier(), (std::map<std::string, bool>{{"b", false}}));
    EXPECT_TRUE(history->getPicture("b"));
    EXPECT_FALSE(std::filesystem::exists(docs / "a.jpg"));
    EXPECT_FALSE(std::filesystem::exists(docs / "c.jpg"));
    for (const auto& entry : std::filesystem::directory_iterator(docs))
        EXPECT_FALSE(vistrel::isTemporaryPhotoName(entry.path().filename().string())) << entry.path();
}

TEST_F(MigrationTest, ScreenRecordsTheMigrationOnlyWhenItIsDone) {
    testsupport::TempDir preferences;
    testsupport::ScopedEnv home("VISTREL_HOME", preferences.path().c_str());
    for (bool usable : {false, true}) {
        SCOPED_TRACE(usable);
        std::filesystem::remove_all(docs);
        if (usable)
            storeOld({{"a", jpeg}});
        else
            dir.write("docs", "a file where the folder should be");
        auto host = std::make_shared<platform::ui::ViewController>();
        auto window = std::make_shared<platform::ui::Window>();
        window->setRootViewController(host);
        window->makeKeyAndVisible();
        auto screen = std::make_shared<vistrel::MigrationViewController>(controller());
        host->present(screen, false);
        RunLoop::runUntilIdle();
        EXPECT_FALSE(host->presentedViewController());
        EXPECT_EQ(vistrel::VistrelPref::hasBeenMigrated(), usable);
    }
}

}  // namespace
