// One column's texts read from an SQLite file that is not opened as a store.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "link_limit.hpp"
#include "support/temp_dir.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/foundation/private_folder.hpp"
#include "vistrel/platform/store/column_texts.hpp"

namespace {

namespace fs = std::filesystem;
using platform::store::forEachColumnText;
using platform::store::TextsRead;

// The names in a folder, with a hash of the bytes of each.
std::map<std::string, std::size_t> filesIn(const fs::path& folder) {
    std::map<std::string, std::size_t> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] =
            std::hash<std::string>{}(platform::readFile(entry.path(), 1u << 20).value_or("?"));
    return files;
}

struct Read {
    TextsRead how;
    std::vector<std::string> texts;
};

// Read through a private folder made beside the file's folder.
Read readTexts(const fs::path& file, std::size_t maxBytes = 64, std::size_t maxRows = 100,
               std::size_t stopAfter = 100) {
    Read read;
    auto readIn = platform::PrivateFolder::make(file.parent_path().parent_path(), ".reading-");
    if (!readIn) return {TextsRead::notWhole, {}};
    read.how = forEachColumnText(file, *readIn, "Record", "identifier", maxBytes, maxRows, [&](std::string_view text) {
        read.texts.emplace_back(text);
        return read.texts.size() < stopAfter;
    });
    return read;
}

}  // namespace

// A store in write-ahead mode, as its last process left it (no journal beside it), at a
// path of characters a URI would read otherwise: its texts are read, no file is made beside
// it and none changed; the rows looked at, the length of a text and the calls are bounded.
// Held open by a writer whose rows are all in its journal, what the journal holds is read.
TEST(ColumnTextsTest, ReadsTheTextsWithoutMakingOrChangingAFile) {
    testsupport::TempDir dir;
    const fs::path folder = dir / "a ?b#c%41";
    fs::create_directories(folder);
    const fs::path file = folder / "store.sqlite";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "PRAGMA journal_mode = WAL; CREATE TABLE Record (identifier, title);"
                           "INSERT INTO Record VALUES ('one', 'a'), (2, 'b'), (zeroblob(10), 'c'), ('two', 'd'),"
                           "(CAST(zeroblob(100000) AS TEXT), 'e'), ('three', 'f')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    const auto before = filesIn(folder);
    ASSERT_EQ(before.size(), 1u);

    const Read all = readTexts(file);
    EXPECT_EQ(all.how, TextsRead::whole);
    EXPECT_EQ(all.texts, (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(filesIn(folder), before);
    EXPECT_EQ(readTexts(file, 64, 4).texts, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(readTexts(file, 1u << 20).texts.size(), 4u);
    const Read stopped = readTexts(file, 64, 100, 1);
    EXPECT_EQ(stopped.how, TextsRead::stopped);
    EXPECT_EQ(stopped.texts, std::vector<std::string>{"one"});
    EXPECT_EQ(readTexts(folder / "missing.sqlite").how, TextsRead::noFile);
    EXPECT_FALSE(fs::exists(folder / "missing.sqlite"));

    const fs::path held = folder / "held.sqlite";
    ASSERT_EQ(sqlite3_open(held.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0; CREATE TABLE Record (identifier);"
                           "INSERT INTO Record VALUES ('held')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    EXPECT_EQ(readTexts(held).texts, std::vector<std::string>{"held"});
    // Its log copied without its index (as backups leave it): read whole, nothing made beside.
    fs::copy_file(held, folder / "log.sqlite");
    fs::copy_file(folder / "held.sqlite-wal", folder / "log.sqlite-wal");
    const auto logged = filesIn(folder);
    EXPECT_EQ(readTexts(folder / "log.sqlite").texts, std::vector<std::string>{"held"});
    EXPECT_EQ(filesIn(folder), logged);
    sqlite3_close(db);

    // A FIFO as the file is not opened. At a journal's name, a FIFO, a folder or a symbolic
    // link is no journal: neither opened nor read, the file read whole without it.
    ASSERT_EQ(::mkfifo((folder / "fifo.sqlite").c_str(), 0600), 0);
    EXPECT_EQ(readTexts(folder / "fifo.sqlite").how, TextsRead::noFile);
    ASSERT_EQ(::mkfifo((folder / "store.sqlite-journal").c_str(), 0600), 0);
    fs::create_directory(folder / "store.sqlite-wal");
    fs::create_symlink("held.sqlite-wal", folder / "store.sqlite-shm");
    const Read besideNoJournals = readTexts(file);
    EXPECT_EQ(besideNoJournals.how, TextsRead::whole);
    EXPECT_EQ(besideNoJournals.texts, (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.parent_path()), fs::directory_iterator()), 1);

    // A file that cannot be linked where it is read is read from a copy, whole, its journals'
    // names held as before; one that changes as it is copied (a live writer's: its
    // modification time changed once it is opened to be copied) is not known.
    if (!testsupport::linkToTheLimit(file, dir / "links"))
        GTEST_SKIP() << dir.path() << " lets a file have more links than a test makes";
    const Read copied = readTexts(file);
    EXPECT_EQ(copied.how, TextsRead::whole);
    EXPECT_EQ(copied.texts, (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.parent_path()), fs::directory_iterator()), 2);
    static fs::path written;
    written = file;
    platform::setFileStepObserver([](std::string_view step) {
        const timespec times[2] = {{0, UTIME_OMIT}, {1'600'000'000, 0}};
        if (step == "copy: opened") ::utimensat(AT_FDCWD, written.c_str(), times, 0);
    });
    EXPECT_EQ(readTexts(file).how, TextsRead::notLinked);
    platform::setFileStepObserver(nullptr);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.parent_path()), fs::directory_iterator()), 2);

    // Nor is one on another file system than the folder it is read in (memory's, where
    // there is one): it could not be moved there either.
    struct stat memory {}, disk {};
    if (::stat("/dev/shm", &memory) == 0 && ::stat(dir.path().c_str(), &disk) == 0 && memory.st_dev != disk.st_dev) {
        testsupport::TempDir other("/dev/shm");
        fs::copy_file(held, other / "store.sqlite");
        auto readIn = platform::PrivateFolder::make(dir.path(), ".reading-");
        ASSERT_TRUE(readIn);
        EXPECT_EQ(forEachColumnText(other / "store.sqlite", *readIn, "Record", "identifier", 64, 100,
                                    [](std::string_view) { return true; }),
                  TextsRead::notLinked);
    }
}

// Views written straight into a store's schema, as SQLite would parse them only once it
// reads that schema: `count` views "v<i>" of `sql`.
std::string viewsInTheSchema(int count, const std::string& sql) {
    return "CREATE TABLE Record (identifier); INSERT INTO Record VALUES ('one'); PRAGMA writable_schema = ON;"
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
           std::to_string(count) + ") INSERT INTO sqlite_schema SELECT 'view', 'v' || i, 'v' || i, 0, " +
           "'CREATE VIEW v' || i || ' AS ' || " + sql + " FROM n; PRAGMA writable_schema = OFF;" +
           "PRAGMA schema_version = 100";
}

// What a file written by anyone may hold under the table's name instead of a table (a
// view, a virtual table), or in a table a column made of values without bound, or in its
// schema, which SQLite reads whole before any table (views of a megabyte, many views of
// tens of kilobytes, a great many small ones): it is not read whole, and the read costs no
// more memory than the bounds of its own connection (16 MiB values, 64 KiB statements),
// or of its own rise of SQLite's memory in use (64 MiB) and what one look's steps add.
TEST(ColumnTextsTest, OnlyAnOrdinaryTableIsReadWithinBounds) {
    testsupport::TempDir dir;
    // A list of numbers as long as `bytes`, written by SQL.
    const auto numbers = [](int bytes) {
        return "'SELECT 1 WHERE 1 IN (' || replace(hex(zeroblob(" + std::to_string(bytes / 2) + ")), '00', '1,') || '1)'";
    };
    for (const auto& [kind, schema, mostMiB] : std::vector<std::tuple<std::string, std::string, long long>>{
             {"view", "CREATE VIEW Record AS SELECT 'one' AS identifier UNION ALL SELECT 'two'", 64},
             {"virtual table", "CREATE VIRTUAL TABLE Record USING fts5(identifier); INSERT INTO Record VALUES ('one')",
              64},
             {"values of 200 MB", "CREATE TABLE Record (title, identifier AS (hex(zeroblob(100000000))));"
                                  "INSERT INTO Record (title) VALUES ('one')", 64},
             {"no such table", "CREATE TABLE Other (identifier); INSERT INTO Other VALUES ('one')", 64},
             {"20 views of 1 MB", viewsInTheSchema(20, numbers(1'000'000)), 100},
             {"300 views of 60 KB", viewsInTheSchema(300, numbers(60'000)), 100},
             {"a million small views",
              viewsInTheSchema(1'000'000, "'SELECT a.x + b.y * 2 AS z FROM (SELECT 1 AS x) a, (SELECT 2 AS y) b "
                                          "WHERE a.x IN (1, 2, 3, 4, 5, 6, 7, 8)'"),
              100}}) {
        SCOPED_TRACE(kind);
        const fs::path file = dir / "stores" / (kind + ".sqlite");
        fs::create_directories(file.parent_path());
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, schema.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
        const auto before = sqlite3_memory_used();
        sqlite3_memory_highwater(1);
        const Read read = readTexts(file);
        EXPECT_EQ(read.how, TextsRead::notWhole);
        EXPECT_LT(sqlite3_memory_highwater(0) - before, mostMiB << 20);
    }
}
