#include <sqlite3.h>

#include <atomic>
#include <set>
#include <thread>

#include "platform/dispatch/main_thread.hpp"
#include "platform/foundation/file_io.hpp"
#include "platform/graphics/color.hpp"
#include "store/picture_file_name.hpp"
#include "store_fixture.hpp"

using platform::dispatch::RunLoop;
using platform::graphics::Color;
using namespace storetest;

namespace {

using HistoryTest = StoreTest;

std::vector<std::string> identifiers(const vistrel::VistrelImages& images) {
    std::vector<std::string> result;
    for (const auto& image : images) result.push_back(image->identifier().value_or("-"));
    return result;
}

TEST_F(HistoryTest, RecordsSurviveRelaunchAndAreFoundUnchanged) {
    {
        auto history = controller();
        EXPECT_FALSE(std::filesystem::exists(docs));  // nothing opened yet
        auto image = history->loadOrCreateVistrelImage("doc", "img-1", "Poster", picture(Color::red()), at(1));
        ASSERT_TRUE(image);
        EXPECT_FALSE(image->isFavorite());
        EXPECT_TRUE(std::filesystem::exists(docs / "VistrelData.sqlite"));
        EXPECT_TRUE(std::filesystem::exists(docs / "img-1.jpg"));
        image->setIsFavorite(true);
        EXPECT_TRUE(history->saveContext());
    }
    auto history = controller();
    auto photo = platform::readFile(docs / "img-1.jpg");
    auto again = history->loadOrCreateVistrelImage("other", "img-1", "Other", picture(Color::blue()), at(9));
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->isFavorite());
    EXPECT_EQ(again->title(), "Poster");
    EXPECT_EQ(again->documentId(), "doc");
    EXPECT_EQ(again->date(), at(1));
    EXPECT_EQ(platform::readFile(docs / "img-1.jpg"), photo);  // not rewritten
    auto stored = history->getPicture("img-1");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->pixelWidth(), 16);
    EXPECT_EQ(identifiers(*history->loadVistrelImages({"nothing", "img-1"})), std::vector<std::string>{"img-1"});
    EXPECT_FALSE(history->loadVistrelImages({}));
    EXPECT_FALSE(history->loadVistrelImages({"nothing"}));
}

TEST_F(HistoryTest, OfflinePhotoGetsARandomIdentifierAndItsFile) {
    auto history = controller();
    auto image = history->createRandomVistrelImage(picture(Color::green()), at(3));
    ASSERT_TRUE(image);
    auto identifier = image->identifier().value_or("");
    EXPECT_EQ(identifier.size(), 20u);
    EXPECT_EQ(identifier.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"),
              std::string::npos);
    EXPECT_FALSE(image->documentId());
    EXPECT_EQ(image->title(), "Photo not sent");
    EXPECT_TRUE(std::filesystem::exists(docs / (identifier + ".jpg")));
    EXPECT_EQ(controller()->retrieveImages()->size(), 1u);
}

TEST_F(HistoryTest, OfflinePhotoWhoseFileCannotBeWrittenLeavesNoRecord) {
    auto history = controller();
    ASSERT_TRUE(history->retrieveImages());  // the store is open
    // From now on the photos would go under a file, where nothing can be written.
    dir.write("blocked", "file");
    history->layer->setApplicationDocumentsDirectory(dir / "blocked");
    EXPECT_FALSE(history->createRandomVistrelImage(picture(Color::red()), at(1)));
    EXPECT_FALSE(history->loadOrCreateVistrelImage("d", "x", "t", picture(Color::red()), at(1)));
    EXPECT_TRUE(log.contains("can't save picture"));
    EXPECT_FALSE(history->layer->managedObjectContext()->hasChanges());
    EXPECT_TRUE(controller()->retrieveImages()->empty());
}

TEST_F(HistoryTest, HostileIdentifiersNameFilesInsideTheDocumentsFolderOnly) {
    std::vector<std::string> hostile = {"../x", "a/b", "", std::string(10 * 1024, 'a'), std::string("a\0b", 3),
                                        "..", "/etc/passwd", "sha256.x", std::string(101, 'z'), "plain_Name-1"};
    auto history = controller();
    std::set<std::string> names;
    for (std::size_t i = 0; i < hostile.size(); ++i) {
        SCOPED_TRACE(i);
        auto color = Color{i / 10.0, 0, 0, 1};
        ASSERT_TRUE(history->loadOrCreateVistrelImage("d", hostile[i], "t", picture(color), at(int(i))));
        auto name = vistrel::pictureFileName(hostile[i]);
        EXPECT_LE(name.size(), 104u);
        EXPECT_EQ(name.find('/'), std::string::npos);
        names.insert(name);
        auto back = history->getPicture(hostile[i]);
        ASSERT_TRUE(back);
        EXPECT_NEAR(back->bitmap().pixel(2, 2).r, color.r, 0.02);
    }
    EXPECT_EQ(names.size(), hostile.size());  // no two share a file
    EXPECT_EQ(vistrel::pictureFileName("plain_Name-1"), "plain_Name-1.jpg");
    // Nothing landed beside the documents folder.
    std::size_t outside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) outside += entry.path() != docs;
    EXPECT_EQ(outside, 0u);
    EXPECT_EQ(controller()->retrieveImages()->size(), hostile.size());
}

TEST_F(HistoryTest, HistorySizeComesFromTheConfiguration) {
    {
        auto history = controller();
        for (int i = 0; i < 15; ++i)
            ASSERT_TRUE(history->loadOrCreateVistrelImage("d", numbered("id", i), "t", picture(Color::red()),
                                                          at(i * 7 % 15)));
    }
    for (auto [limit, count] : std::vector<std::pair<std::string, std::size_t>>{
             {"", 15}, {"abc", 15}, {"12", 12}, {"-3", 15}}) {
        SCOPED_TRACE(limit);
        auto images = controller(limit)->retrieveImages();
        ASSERT_TRUE(images);
        ASSERT_EQ(images->size(), count);
        for (std::size_t i = 1; i < images->size(); ++i) {
            auto newer = (*images)[i - 1]->date(), older = (*images)[i]->date();
            ASSERT_TRUE(newer && older);
            EXPECT_GT(newer->time_since_epoch().count(), older->time_since_epoch().count());
        }
    }
}

TEST_F(HistoryTest, DeletionHappensLaterOnTheMainQueueAndKeepsThePhoto) {
    auto history = controller();
    auto image = history->loadOrCreateVistrelImage("d", "gone", "t", picture(Color::red()), at(1));
    history->deleteImage(image);
    EXPECT_EQ(history->retrieveImages()->size(), 1u);
    RunLoop::runUntilIdle();
    EXPECT_TRUE(history->retrieveImages()->empty());
    EXPECT_TRUE(controller()->retrieveImages()->empty());
    EXPECT_TRUE(std::filesystem::exists(docs / "gone.jpg"));

    history->loadOrCreateVistrelImage("d", "a", "t", picture(Color::red()), at(1));
    history->deleteAllImages();
    EXPECT_TRUE(controller()->retrieveImages()->empty());
}

TEST_F(HistoryTest, CallersOnOtherThreadsAreServedOnTheMainThread) {
    auto history = controller();
    std::shared_ptr<vistrel::VistrelImage> made;
    std::atomic<bool> done = false;
    std::thread camera([&] {
        made = history->createRandomVistrelImage(picture(Color::red()), at(1));
        done = true;
    });
    EXPECT_TRUE(RunLoop::runUntil([&] { return done.load(); }, std::chrono::seconds(10)));
    camera.join();
    ASSERT_TRUE(made);
    EXPECT_EQ(history->retrieveImages()->size(), 1u);
}

TEST_F(HistoryTest, StoreItCannotOpenGivesAnEmptyHistoryAndIsLeftAsItWas) {
    testsupport::TempDir older;
    struct Case {
        const char* name;
        std::function<void()> make;
    };
    std::vector<Case> cases = {
        {"not a database", [&] { dir.write("docs/VistrelData.sqlite", "this is a text file, not a store\n"); }},
        {"damaged", [&] {
             controller()->loadOrCreateVistrelImage("d", "a", "t", picture(Color::red()), at(1));
             auto bytes = *platform::readFile(docs / "VistrelData.sqlite");
             for (std::size_t i = 100; i < bytes.size(); i += 7) bytes[i] = char(0xA5);
             std::filesystem::remove_all(docs);
             dir.write("docs/VistrelData.sqlite", bytes);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(docs);
        c.make();
        log.clear();
        auto before = platform::readFile(docs / "VistrelData.sqlite");
        auto history = controller();
        auto images = history->retrieveImages();
        EXPECT_TRUE(!images || images->empty());
        EXPECT_TRUE(log.contains("Unresolved error"));
        EXPECT_TRUE(log.contains("VistrelData.sqlite"));
        EXPECT_FALSE(history->createRandomVistrelImage(picture(Color::red()), at(2)));
        EXPECT_EQ(platform::readFile(docs / "VistrelData.sqlite"), before);
    }
}

TEST_F(HistoryTest, DocumentsFolderThatCannotBeUsedGivesNothingAndNoCrash) {
    // Permission bits do not stop root, so the folder is a file.
    dir.write("docs", "a file where the folder should be");
    auto history = controller();
    EXPECT_FALSE(history->retrieveImages());
    EXPECT_FALSE(history->createRandomVistrelImage(picture(Color::red()), at(1)));
    EXPECT_FALSE(history->saveContext());
    EXPECT_TRUE(log.contains("Unresolved error"));
    EXPECT_EQ(platform::readFile(docs), "a file where the folder should be");
}

TEST_F(HistoryTest, StoreOfTheOlderSchemaOpensWithItsRecords) {
    std::filesystem::create_directories(docs);
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open((docs / "VistrelData.sqlite").c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db,
                               "CREATE TABLE VistrelImage (pk INTEGER PRIMARY KEY, date INTEGER, identifier TEXT,"
                               " isFavorite INTEGER NOT NULL DEFAULT 0, picture BLOB, title TEXT);"
                               "INSERT INTO VistrelImage (date, identifier, isFavorite, title)"
                               " VALUES (1700000000000000, 'old', 1, 'Old scan');"
                               "PRAGMA user_version = 1;",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    auto history = controller();
    auto images = history->retrieveImages();
    ASSERT_TRUE(images);
    ASSERT_EQ(images->size(), 1u);
    EXPECT_EQ(images->front()->title(), "Old scan");
    EXPECT_TRUE(images->front()->isFavorite());
    EXPECT_FALSE(images->front()->documentId());
    ASSERT_TRUE(history->loadOrCreateVistrelImage("d", "new", "t", picture(Color::red()), at(5)));
    EXPECT_EQ(controller()->retrieveImages()->size(), 2u);
}

}  // namespace
