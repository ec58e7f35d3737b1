#pragma once
// A history over a fresh documents folder, with the kit's bundle of the build tree and
// a history size of its own.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "support/temp_dir.hpp"
#include "vistrel/core/sdk_configuration.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/store/persistance_controller.hpp"

namespace storetest {

inline platform::graphics::Image picture(platform::graphics::Color color) {
    auto bitmap = *platform::graphics::Bitmap::make(16, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) bitmap.setPixel(x, y, color);
    return *platform::graphics::Image::make(std::move(bitmap));
}

// Runs SQL on the store file straight through SQLite, as another program could.
inline void runSql(const std::filesystem::path& file, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

// The first column of the first row the SQL gives on the store file, as another program
// reads it; -1 for none.
inline long long sqlInteger(const std::filesystem::path& file, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_stmt* statement = nullptr;
    long long value = -1;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW)
        value = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return value;
}

// How far the heap of the process's SQLite rose at its highest while the object lived:
// what every connection to a store (the kit's, another program's) allocated to read and
// write, counted by SQLite itself. A value read whole is allocated whole there.
class SqliteHeapRise {
public:
    SqliteHeapRise() : before_(sqlite3_memory_used()) { sqlite3_memory_highwater(1); }
    long long mebibytes() const { return (sqlite3_memory_highwater(0) - before_) >> 20; }

private:
    long long before_;
};

// Another host's look, through a connection of its own kept open, at whether it could take
// the store's write lock this instant, without waiting: for tests that look again and again.
class WriteProbe {
public:
    explicit WriteProbe(const std::filesystem::path& store) {
        if (sqlite3_open_v2(store.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK)
            sqlite3_busy_timeout(db_, 0);
    }
    ~WriteProbe() { sqlite3_close(db_); }
    WriteProbe(const WriteProbe&) = delete;
    WriteProbe& operator=(const WriteProbe&) = delete;

    bool canWrite() {
        const bool taken = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
        if (taken) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        return taken;
    }

private:
    sqlite3* db_ = nullptr;
};

// Whether another host could take the store's write lock this instant, without waiting.
inline bool anotherHostCanWrite(const std::filesystem::path& store) { return WriteProbe(store).canWrite(); }

// How the migration runs it was given ended.
struct Recorder : vistrel::MigrationProtocol {
    int finished = 0;
    int failed = 0;
    void didFinishMigration() override { ++finished; }
    void didFailMigration() override { ++failed; }
};

inline vistrel::Date at(int seconds) { return vistrel::Date(std::chrono::seconds(1'700'000'000 + seconds)); }

struct StoreTest : ::testing::Test {
    testsupport::TempDir dir;
    std::filesystem::path docs = dir / "docs";
    platform::LogCapture log;

    void SetUp() override {
        vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{VISTREL_BUILD_BUNDLE});
    }
    void TearDown() override {
        platform::dispatch::RunLoop::runUntilIdle();
        vistrel::overrideBundleLocations(std::nullopt);
    }

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

    // The variable that gives a child process of the test its temporary folder, inside the
    // test's own: a child stopped dead never removes what it made, the test does.
    std::string childrensTemporaryFolder() const {
        const auto folder = dir / "children";
        std::filesystem::create_directories(folder);
        return "TMPDIR=" + folder.string();
    }

    // A controller as a new launch makes it: nothing opened until first used.
    std::shared_ptr<vistrel::PersistanceController> controller(std::string limit = "") {
        auto layer = std::make_shared<vistrel::CoreDataLayer>();
        layer->setApplicationDocumentsDirectory(docs);
        platform::Dictionary configuration;
        configuration.set("GALLERY_NUMBER_ITEMS", std::move(limit));
        return std::make_shared<vistrel::PersistanceController>(
            layer, std::make_shared<vistrel::SdkConfiguration>(std::move(configuration)));
    }
};

}  // namespace storetest
