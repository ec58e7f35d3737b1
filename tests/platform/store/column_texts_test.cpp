// One column's texts read from an SQLite file that is not opened as a store.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/temp_dir.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/store/column_texts.hpp"

namespace {

namespace fs = std::filesystem;
using platform::store::forEachColumnText;

// The names in a folder, with a hash of the bytes of each.
std::map<std::string, std::size_t> filesIn(const fs::path& folder) {
    std::map<std::string, std::size_t> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] =
            std::hash<std::string>{}(platform::readFile(entry.path(), 1u << 20).value_or("?"));
    return files;
}

struct Read {
    bool whole;
    std::vector<std::string> texts;
};

Read readTexts(const fs::path& file, std::size_t maxBytes = 64, std::size_t maxRows = 100, std::size_t stopAfter = 100) {
    Read read;
    read.whole = forEachColumnText(file, "Record", "identifier", maxBytes, maxRows, [&](std::string_view text) {
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
    EXPECT_TRUE(all.whole);
    EXPECT_EQ(all.texts, (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(filesIn(folder), before);
    EXPECT_EQ(readTexts(file, 64, 4).texts, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(readTexts(file, 1u << 20).texts.size(), 4u);
    const Read stopped = readTexts(file, 64, 100, 1);
    EXPECT_FALSE(stopped.whole);
    EXPECT_EQ(stopped.texts, std::vector<std::string>{"one"});
    EXPECT_FALSE(readTexts(folder / "missing.sqlite").whole);
    EXPECT_FALSE(fs::exists(folder / "missing.sqlite"));

    const fs::path held = folder / "held.sqlite";
    ASSERT_EQ(sqlite3_open(held.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0; CREATE TABLE Record (identifier);"
                           "INSERT INTO Record VALUES ('held')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    EXPECT_EQ(readTexts(held).texts, std::vector<std::string>{"held"});
    sqlite3_close(db);
}
