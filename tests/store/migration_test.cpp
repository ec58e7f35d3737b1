#include "store_fixture.hpp"
#include "vistrel/core/vistrel_pref.hpp"
#include "vistrel/platform/graphics/jpeg_encoding.hpp"
#include "vistrel/platform/ui/window.hpp"
#include "vistrel/screens/migration/migration_view_controller.hpp"

using platform::dispatch::RunLoop;
using platform::graphics::Color;
using namespace storetest;

namespace {

struct Recorder : vistrel::MigrationProtocol {
    int finished = 0;
    int failed = 0;
    void didFinishMigration() override { ++finished; }
    void didFailMigration() override { ++failed; }
};

struct MigrationTest : StoreTest {
    std::string jpeg = *platform::graphics::encodeJpeg(picture(Color::blue()), 0.9);

    // Records as an older version kept them: the photo inside.
    void storeOld(std::vector<std::pair<std::optional<std::string>, std::optional<std::string>>> records) {
        auto history = controller();
        auto context = history->layer->managedObjectContext();
        int second = 0;
        for (auto& [identifier, blob] : records) {
            auto image = vistrel::VistrelImage::insertInto(*context);
            image->setIdentifier(identifier);
            image->setPicture(blob);
            image->setDate(at(second++));
        }
        ASSERT_TRUE(history->saveContext());
    }
    std::map<std::string, bool> blobsByIdentifier() {
        std::map<std::string, bool> result;
        auto images = controller()->retrieveImages();
        for (const auto& image : *images)
            result[image->identifier().value_or("-")] = image->picture().has_value();
        return result;
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

TEST_F(MigrationTest, PhotoThatCannotBeWrittenKeepsItsBlobAndTheMigrationIsNotDone) {
    storeOld({{"blocked", jpeg}, {"fine", jpeg}});
    std::filesystem::create_directories(docs / "blocked.jpg");  // nothing can be renamed over it
    auto recorder = std::make_shared<Recorder>();
    controller()->migrateWithDelegate(recorder);
    RunLoop::runUntilIdle();
    EXPECT_EQ(recorder->failed, 1);
    EXPECT_EQ(recorder->finished, 0);
    auto blobs = blobsByIdentifier();
    EXPECT_TRUE(blobs["blocked"]);
    EXPECT_FALSE(blobs["fine"]);
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
