#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <cstdio>
#include <thread>
#include <unistd.h>

#include "support/temp_dir.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/store/managed_object_context.hpp"

using namespace platform::store;

namespace {

constexpr std::string_view kModel = R"({"name": "Notes", "version": 2, "entities": [{"name": "Note", "attributes": [
    {"name": "date", "type": "date", "indexed": true},
    {"name": "key", "type": "string", "indexed": true},
    {"name": "done", "type": "boolean", "optional": false},
    {"name": "body", "type": "binary"}]}]})";

Date at(int seconds) { return Date(std::chrono::seconds(1'700'000'000 + seconds)); }

// Runs SQL on the file straight through SQLite.
void runSql(const std::filesystem::path& file, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

struct ObjectStoreTest : ::testing::Test {
    testsupport::TempDir dir;
    std::filesystem::path file = dir / "notes.sqlite";
    std::shared_ptr<const ManagedObjectModel> model =
        std::make_shared<const ManagedObjectModel>(*ManagedObjectModel::fromJson(kModel));

    // A context on the file; none when the store refuses it.
    std::shared_ptr<ManagedObjectContext> open() { return openAt(file); }
    std::shared_ptr<ManagedObjectContext> openAt(const std::filesystem::path& path) {
        auto coordinator = std::make_shared<PersistentStoreCoordinator>(model);
        return coordinator->addSQLiteStore(path) ? nullptr : ManagedObjectContext::make(coordinator);
    }
    const EntityDescription& note() { return *model->entity("Note"); }
    std::shared_ptr<ManagedObject> add(ManagedObjectContext& context, std::string key, int seconds) {
        auto object = context.insertNewObject(note());
        object->setValue("key", std::move(key));
        object->setValue("date", at(seconds));
        return object;
    }
    static FetchRequest newest(std::size_t limit = 0) {
        FetchRequest request("Note");
        request.sort = SortDescriptor{"date", false};
        request.fetchLimit = limit;
        return request;
    }
    static std::vector<std::string> keys(const FetchResult& objects) {
        std::vector<std::string> result;
        for (const auto& object : objects) result.push_back(object->stringValue("key").value_or("-"));
        return result;
    }
};

TEST_F(ObjectStoreTest, ValuesSurviveReopeningWithHostileTextsAndBytes) {
    std::string body("\0\xff'\"; DROP TABLE Note; --", 26);
    {
        auto context = open();
        ASSERT_TRUE(context);
        auto object = add(*context, "it's \"quoted\"; DROP TABLE Note", 5);
        object->setValue("body", body);
        object->setValue("done", true);
        EXPECT_FALSE(context->save());
    }
    auto context = open();
    ASSERT_TRUE(context);
    auto found = context->execute(newest());
    ASSERT_EQ(found.value_or(FetchResult{}).size(), 1u);
    const auto& object = *found->front();
    EXPECT_EQ(object.stringValue("key"), "it's \"quoted\"; DROP TABLE Note");
    EXPECT_EQ(object.stringValue("body"), body);
    EXPECT_EQ(object.dateValue("date"), at(5));
    EXPECT_TRUE(object.boolValue("done"));
    // One object per row: a second fetch gives the same one.
    EXPECT_EQ(context->execute(newest())->front(), found->front());
}

TEST_F(ObjectStoreTest, FetchesSeePendingChangesSortedAndLimited) {
    auto context = open();
    ASSERT_TRUE(context);
    for (int i = 0; i < 5; ++i) add(*context, std::string{'k', char('0' + i)}, i * 10);
    ASSERT_FALSE(context->save());
    auto saved = context->execute(newest());
    add(*context, "new", 25);
    context->deleteObject(saved->front());  // k4, the newest
    EXPECT_EQ(keys(*context->execute(newest(3))), (std::vector<std::string>{"k3", "new", "k2"}));

    FetchRequest byKey = newest();
    byKey.predicate = Predicate{"key", {std::string("new"), std::string("k1"), std::string("k4")}};
    EXPECT_EQ(keys(*context->execute(byKey)), (std::vector<std::string>{"new", "k1"}));

    // Records without a key, pending and then from the file.
    context->insertNewObject(note())->setValue("date", at(7));
    FetchRequest keyless = newest();
    keyless.predicate = Predicate::isAbsent("key");
    EXPECT_EQ(keys(*context->execute(keyless)), std::vector<std::string>{"-"});
    ASSERT_FALSE(context->save());
    EXPECT_EQ(keys(*open()->execute(keyless)), std::vector<std::string>{"-"});
}

TEST_F(ObjectStoreTest, FailedSaveKeepsEveryChangeAndWritesNothing) {
    auto context = open();
    ASSERT_TRUE(context);
    add(*context, "good", 1);
    auto bad = add(*context, "bad", 2);
    bad->setValue("done", std::monostate{});  // a required attribute left empty
    auto error = context->save();
    ASSERT_TRUE(error);
    EXPECT_TRUE(context->hasChanges());
    EXPECT_TRUE(open()->execute(newest())->empty());  // nothing half written
    bad->setValue("done", false);
    EXPECT_FALSE(context->save());
    EXPECT_EQ(open()->execute(newest())->size(), 2u);
}

TEST_F(ObjectStoreTest, OlderSchemaIsBroughtUpToDateKeepingItsRows) {
    runSql(file, "CREATE TABLE Note (pk INTEGER PRIMARY KEY, date INTEGER, key TEXT);"
                 "INSERT INTO Note (date, key) VALUES (1700000000000000, 'old');"
                 "PRAGMA user_version = 1;");
    auto context = open();
    ASSERT_TRUE(context);
    auto found = context->execute(newest());
    ASSERT_EQ(keys(*found), std::vector<std::string>{"old"});
    EXPECT_FALSE(found->front()->boolValue("done"));
    found->front()->setValue("body", std::string("x"));
    EXPECT_FALSE(context->save());
    EXPECT_EQ(open()->execute(newest())->front()->stringValue("body"), "x");
}

// Another program's values, read by their start: whatever the file holds (15 MB of text,
// a character astride the bound, a megabyte of bytes, a number, nothing), in either text
// encoding a file may have, and with a key that is not the rows' own number. An object so
// read and saved with another value changed leaves them whole in the file.
TEST_F(ObjectStoreTest, LongValuesAreReadByTheirStartAndNeverWrittenBackShortened) {
    using Values = std::vector<std::pair<std::optional<std::string>, std::optional<std::string>>>;  // key, body
    const Values expected = {{"kkkkkkkkkk", std::string(10, '\0')},
                             {"abcdefgh", std::nullopt},  // the euro sign would end past the bound
                             {"0123456789", std::nullopt},
                             {"42", std::nullopt},
                             {std::nullopt, std::nullopt}};
    for (const auto& [encoding, key] : {std::pair("UTF-8", "INTEGER"), {"UTF-16le", "INTEGER"}, {"UTF-8", "INT"}}) {
        SCOPED_TRACE(std::string(encoding) + ", pk " + key);
        std::filesystem::remove(file);
        runSql(file, (std::string("PRAGMA encoding = '") + encoding + "'; CREATE TABLE Note (pk " + key +
                      " PRIMARY KEY, date INTEGER, key TEXT, done INTEGER NOT NULL DEFAULT 0, body BLOB);"
                      "PRAGMA user_version = 2; INSERT INTO Note (pk, date, key, body) VALUES "
                      "(105, 5, replace(hex(zeroblob(7864320)), '0', 'k'), zeroblob(1048576)),"
                      "(104, 4, 'abcdefgh€z', NULL), (103, 3, '0123456789', NULL), (102, 2, 42, NULL),"
                      "(101, 1, NULL, NULL);")
                         .c_str());
        auto context = open();
        ASSERT_TRUE(context);
        FetchRequest request = newest();
        request.prefixes = {{"key", 10}, {"body", 10}};
        auto found = context->execute(request);
        ASSERT_TRUE(found);
        Values values;
        for (const auto& object : *found) values.emplace_back(object->stringValue("key"), object->stringValue("body"));
        EXPECT_EQ(values, expected);

        found->front()->setValue("done", true);
        ASSERT_FALSE(context->save());
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
        sqlite3_stmt* kept = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT length(key), length(body), done FROM Note WHERE date = 5", -1, &kept,
                                     nullptr),
                  SQLITE_OK);
        ASSERT_EQ(sqlite3_step(kept), SQLITE_ROW);
        EXPECT_EQ(std::tuple(sqlite3_column_int(kept, 0), sqlite3_column_int(kept, 1), sqlite3_column_int(kept, 2)),
                  std::tuple(15 << 20, 1 << 20, 1));
        sqlite3_finalize(kept);
        sqlite3_close(db);
    }
}

// A fetch of chosen attributes leaves the others in the file: each is read when first
// asked of its object (which may outlive its context), then held until the context lets
// go of it; a fetch again refreshes only what it reads. Fetches with pending changes match
// and sort by values read as needed; a save writes back none it did not change; and a
// record gone from the file gives none, and stays unread.
TEST_F(ObjectStoreTest, ChosenAttributesAreReadAndTheOthersWhenAsked) {
    auto context = open();
    ASSERT_TRUE(context);
    for (auto [key, body] : {std::pair("a", "body a"), {"b", ""}, {"c", nullptr}}) {
        auto object = add(*context, key, key[0]);
        if (body) object->setValue("body", std::string(body));
    }
    ASSERT_FALSE(context->save());
    context = open();
    FetchRequest chosen = newest();
    chosen.propertiesToFetch = std::vector<std::string>{"key"};
    chosen.predicate = Predicate::isPresent("body");
    auto found = context->execute(chosen).value_or(FetchResult{});
    ASSERT_EQ(keys(found), (std::vector<std::string>{"b", "a"}));
    const auto a = found.back();
    EXPECT_TRUE(a->isUnread("body") && a->isUnread("date") && !a->isUnread("key"));
    // The length of a value left in the file is told without reading it.
    EXPECT_EQ(std::tuple(a->valueBytes("body"), a->valueBytes("date"), a->valueBytes("key")),
              std::tuple(std::optional<std::size_t>(6), std::optional<std::size_t>(0), std::optional<std::size_t>(1)));
    EXPECT_TRUE(a->isUnread("body") && a->isUnread("date"));
    runSql(file, "UPDATE Note SET key = 'A', body = 'new body' WHERE key = 'a'");
    EXPECT_EQ(a->stringValue("body"), "new body");
    EXPECT_FALSE(a->isUnread("body"));
    runSql(file, "UPDATE Note SET key = 'a', body = 'newer body' WHERE key = 'A'");
    EXPECT_EQ(keys(*context->execute(chosen)), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(a->stringValue("body"), "new body");  // held, as that fetch did not read it
    context->refreshValue(a, "body");
    EXPECT_TRUE(a->isUnread("body"));
    a->setValue("done", true);
    ASSERT_FALSE(context->save());  // `done` alone: the body left unread stays as it is
    EXPECT_EQ(a->stringValue("body"), "newer body");

    // Pending: a new record, and `a` changed again, its date never read.
    add(*context, "new", 'a' - 1)->setValue("body", std::string("x"));
    a->setValue("done", false);
    EXPECT_EQ(keys(*context->execute(chosen)), (std::vector<std::string>{"b", "a", "new"}));
    ASSERT_FALSE(context->save());
    runSql(file, "UPDATE Note SET body = 'another program''s' WHERE key = 'a'");
    context->refreshValue(a, "body");
    context.reset();
    EXPECT_EQ(a->stringValue("body"), "another program's");
    EXPECT_FALSE(a->boolValue("done"));

    context = open();
    found = context->execute(chosen).value_or(FetchResult{});
    ASSERT_EQ(found.size(), 3u);
    runSql(file, "DELETE FROM Note");
    platform::LogCapture log;
    EXPECT_FALSE(found.front()->stringValue("body"));
    EXPECT_FALSE(found.front()->valueBytes("body"));
    EXPECT_TRUE(found.front()->isUnread("body"));
    EXPECT_TRUE(log.contains("the record is no longer in the store"));
    chosen.propertiesToFetch->push_back("nothing");
    EXPECT_FALSE(context->execute(chosen));
}

// A row number is never given twice, in a store this version made and in one an earlier
// version made (its table as that version created it, its largest row deleted before this
// version opened it: a number no one can know any more). A record held by one context,
// its row removed by a second (that row alone, or every row) and a new one recorded: the
// new row has a number of its own. Then the held record's change fails and writes nothing,
// and fails that save only; a value of it left in the file reads as none; its delete
// counts as done and leaves the new row.
TEST_F(ObjectStoreTest, ARowNumberIsNeverGivenTwice) {
    enum class Removed { itsRow, everyRow };
    enum class Held { changed, read, deleted };
    for (const bool earlier : {false, true})
        for (const Removed removed : {Removed::itsRow, Removed::everyRow})
            for (const Held held : {Held::changed, Held::read, Held::deleted}) {
                SCOPED_TRACE(testing::Message() << "earlier " << earlier << ", removed " << int(removed) << ", held "
                                                << int(held));
                for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(file.string() + suffix);
                if (earlier) {
                    runSql(file, "CREATE TABLE \"Note\" (pk INTEGER PRIMARY KEY);"
                                 "ALTER TABLE \"Note\" ADD COLUMN \"date\" INTEGER;"
                                 "CREATE INDEX IF NOT EXISTS \"Note_date\" ON \"Note\" (\"date\");"
                                 "ALTER TABLE \"Note\" ADD COLUMN \"key\" TEXT;"
                                 "CREATE INDEX IF NOT EXISTS \"Note_key\" ON \"Note\" (\"key\");"
                                 "ALTER TABLE \"Note\" ADD COLUMN \"done\" INTEGER NOT NULL DEFAULT 0;"
                                 "ALTER TABLE \"Note\" ADD COLUMN \"body\" BLOB;"
                                 "PRAGMA user_version = 2;"
                                 "INSERT INTO Note (date, key, body) VALUES (1, 'a', 'a body'), (2, 'b', 'b body'),"
                                 "(3, 'c', 'c body'); DELETE FROM Note WHERE key = 'c';");
                } else {
                    auto maker = open();
                    ASSERT_TRUE(maker);
                    for (const char* key : {"a", "b"})
                        add(*maker, key, key[0])->setValue("body", key + std::string(" body"));
                    ASSERT_FALSE(maker->save());
                }
                auto holder = open();
                ASSERT_TRUE(holder);
                FetchRequest chosen = newest();
                chosen.propertiesToFetch = std::vector<std::string>{"key"};
                const auto record = holder->execute(chosen).value_or(FetchResult{}).at(0);
                ASSERT_EQ(record->stringValue("key"), "b");

                auto other = open();
                if (removed == Removed::itsRow) {
                    other->deleteObject(other->execute(newest())->front());
                    ASSERT_FALSE(other->save());
                } else {
                    ASSERT_FALSE(other->executeBatchDelete(FetchRequest("Note")));
                }
                auto fresh = add(*other, "new", 200);
                fresh->setValue("body", std::string("new body"));
                ASSERT_FALSE(other->save());
                EXPECT_GT(fresh->storeIdentifier(), record->storeIdentifier());

                std::vector<std::string> kept = {"new"};
                if (removed == Removed::itsRow) kept.push_back("a");
                if (held == Held::changed) {
                    record->setValue("done", true);
                    auto error = holder->save();
                    ASSERT_TRUE(error);
                    EXPECT_EQ(error->userInfo["reason"], "the record is no longer in the store");
                    EXPECT_TRUE(std::holds_alternative<std::monostate>(record->value("done")));  // as in the file: none
                    add(*holder, "later", 300);
                    EXPECT_FALSE(holder->save());  // nothing left of the failed save fails this one
                    kept.insert(kept.begin(), "later");
                } else if (held == Held::read) {
                    EXPECT_FALSE(record->stringValue("body"));
                    EXPECT_FALSE(record->valueBytes("body"));
                    EXPECT_FALSE(record->dateValue("date"));
                } else {
                    holder->deleteObject(record);
                    EXPECT_FALSE(holder->save());  // nothing left to delete: done
                }
                auto found = open()->execute(newest()).value_or(FetchResult{});
                EXPECT_EQ(keys(found), kept);
                const auto& mine = *found.at(held == Held::changed ? 1 : 0);
                EXPECT_EQ(mine.stringValue("body"), "new body");
                EXPECT_FALSE(mine.boolValue("done"));
            }
}

TEST_F(ObjectStoreTest, FilesItCannotUseAreRefusedAndLeftAsTheyWere) {
    struct Case {
        const char* name;
        std::function<void()> make;
    };
    std::vector<Case> cases = {
        {"not a database", [&] { dir.write("notes.sqlite", std::string(3000, 'x')); }},
        {"damaged", [&] {
             runSql(file, "CREATE TABLE Note (pk INTEGER PRIMARY KEY, key TEXT); INSERT INTO Note (key) VALUES ('a');");
             auto bytes = *platform::readFile(file, 64u << 20);
             bytes.resize(1500);
             std::filesystem::remove(file);
             dir.write("notes.sqlite", bytes);
         }},
        {"newer model", [&] { runSql(file, "PRAGMA user_version = 7; CREATE TABLE Other (x);"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(file);
        c.make();
        auto before = platform::readFile(file, 64u << 20);
        EXPECT_FALSE(open());
        EXPECT_EQ(platform::readFile(file, 64u << 20), before);
    }
}

TEST_F(ObjectStoreTest, KilledWriterLeavesEveryCommittedRecord) {
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(report[0]);
        auto coordinator = std::make_shared<PersistentStoreCoordinator>(model);
        if (coordinator->addSQLiteStore(file)) _exit(1);
        std::vector<AttributeValue> values{at(0), std::string(), false, std::string(2000, 'b')};
        for (int i = 0;; ++i) {
            values[1] = std::to_string(i);
            StoreChanges changes;
            changes.inserts.push_back({&note(), &values});
            if (!coordinator->save(changes)) _exit(2);
            if (write(report[1], &i, sizeof i) != sizeof i) _exit(3);
        }
    }
    close(report[1]);
    int committed = -1;
    for (int i = 0; i < 200; ++i) ASSERT_EQ(read(report[0], &committed, sizeof committed), ssize_t(sizeof committed));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(report[0]);
    EXPECT_TRUE(WIFSIGNALED(status));

    auto context = open();
    ASSERT_TRUE(context);
    for (int i = 0; i <= committed; ++i) {
        FetchRequest one("Note");
        one.predicate = Predicate::equals("key", std::to_string(i));
        EXPECT_EQ(context->execute(one)->size(), 1u) << i;
    }
}

// A folder reached through a link (a linked home, data moved to another disk) holds a
// store like any other; only a store file or journal that is itself a link is refused,
// and nothing is made where such a link points.
TEST_F(ObjectStoreTest, OnlyAStoreFileOrJournalThatIsALinkIsRefused) {
    std::filesystem::create_directory(dir / "disk");
    std::filesystem::create_directory_symlink(dir / "disk", dir / "home");
    {
        auto context = openAt(dir / "home" / "notes.sqlite");
        ASSERT_TRUE(context);
        add(*context, "through the link", 1);
        EXPECT_FALSE(context->save());
    }
    EXPECT_EQ(keys(*openAt(dir / "disk" / "notes.sqlite")->execute(newest())),
              std::vector<std::string>{"through the link"});

    auto elsewhere = dir / "elsewhere";
    for (const char* linked : {"notes.sqlite", "notes.sqlite-wal", "notes.sqlite-shm"}) {
        SCOPED_TRACE(linked);
        std::filesystem::remove_all(elsewhere);
        for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(file.string() + suffix);
        if (std::string_view(linked) == "notes.sqlite") {
            runSql(elsewhere, "CREATE TABLE Other (x);");
        } else {
            runSql(file, "CREATE TABLE Other (x);");
            std::filesystem::remove(file.string() + "-wal");
        }
        std::filesystem::create_symlink(elsewhere, dir / linked);
        auto before = platform::readFile(elsewhere, 64u << 20);
        EXPECT_FALSE(open());
        EXPECT_FALSE(openAt(dir / "home" / ".." / "notes.sqlite"));
        EXPECT_TRUE(std::filesystem::is_symlink(dir / linked));
        EXPECT_EQ(platform::readFile(elsewhere, 64u << 20), before);  // unchanged, or still not there
    }
}

// Three hosts making the same new store at once, each saving 30 records: every one of
// the 90 saves is kept. Each host is a process of its own; they start together.
TEST_F(ObjectStoreTest, HostsMakingOneStoreAtOnceKeepEverySave) {
    constexpr int hosts = 3, saves = 30;
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        const auto shared = dir / ("new-" + std::to_string(round)) / "notes.sqlite";
        std::filesystem::create_directory(shared.parent_path());
        int start[2];
        ASSERT_EQ(pipe(start), 0);
        std::vector<pid_t> children;
        for (int host = 0; host < hosts; ++host) {
            pid_t child = fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                close(start[1]);
                char go;
                if (read(start[0], &go, 1) != 0) _exit(9);  // the parent closing the pipe starts all
                auto coordinator = std::make_shared<PersistentStoreCoordinator>(model);
                if (auto error = coordinator->addSQLiteStore(shared)) {
                    std::fprintf(stderr, "host %d: %s\n", host, error->description().c_str());
                    _exit(1);
                }
                std::vector<AttributeValue> values{at(0), std::string(), false, std::monostate{}};
                for (int i = 0; i < saves; ++i) {
                    values[1] = std::to_string(host) + "-" + std::to_string(i);
                    StoreChanges changes;
                    changes.inserts.push_back({&note(), &values});
                    platform::Error error;
                    if (!coordinator->save(changes, &error)) {
                        std::fprintf(stderr, "host %d: %s\n", host, error.description().c_str());
                        _exit(2);
                    }
                }
                _exit(0);
            }
            children.push_back(child);
        }
        close(start[0]);
        close(start[1]);
        for (pid_t child : children) {
            int status = -1;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "host exit status " << status;
        }
        auto context = openAt(shared);
        ASSERT_TRUE(context);
        EXPECT_EQ(context->execute(newest())->size(), std::size_t(hosts * saves));
    }
}

// Code planted in the store file (a trigger that deletes what is saved, a view with a
// trigger of its own, a name that holds quotes) is dropped when the store opens, and a
// table that silently ignores a conflicting row makes that save fail, not vanish: every
// save reported as done is listed.
TEST_F(ObjectStoreTest, PlantedSchemaCannotTakeBackASave) {
    runSql(file, R"(CREATE TABLE Note (pk INTEGER PRIMARY KEY, date INTEGER, key TEXT UNIQUE ON CONFLICT IGNORE,
                                     done INTEGER NOT NULL DEFAULT 0, body BLOB);
                   PRAGMA user_version = 2;
                   CREATE TRIGGER "wipe ""all""" AFTER INSERT ON Note BEGIN DELETE FROM Note; END;
                   CREATE VIEW Recent AS SELECT key FROM Note;
                   CREATE TRIGGER Fill INSTEAD OF INSERT ON Recent BEGIN DELETE FROM Note; END;)");
    platform::LogCapture log;
    auto context = open();
    ASSERT_TRUE(context);
    EXPECT_TRUE(log.contains("3 triggers or views the store did not make are dropped"));
    std::vector<std::string> listed;
    int seconds = 0;
    for (auto [key, kept] : std::vector<std::pair<const char*, bool>>{{"a", true}, {"b", true}, {"a", false}, {"c", true}}) {
        auto object = add(*context, key, seconds++);
        auto error = context->save();
        EXPECT_EQ(!error, kept) << key;
        if (error) context->deleteObject(object);  // the refused record is dropped
        else listed.insert(listed.begin(), key);
        EXPECT_EQ(keys(*open()->execute(newest())), listed) << key;
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* planted = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master WHERE type IN ('trigger', 'view')", -1,
                                 &planted, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(planted), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(planted, 0), 0);
    sqlite3_finalize(planted);
    sqlite3_close(db);
}

#ifndef NDEBUG
TEST_F(ObjectStoreTest, ContextUsedOffTheMainThreadStopsDebugBuilds) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto context = open();
    ASSERT_TRUE(context);
    // The dying child runs the test from its start and makes a folder of its own: it
    // removes it before it dies, since nothing runs after.
    EXPECT_DEATH(
        {
            std::filesystem::remove_all(dir.path());
            std::thread([&] { context->hasChanges(); }).join();
        },
        "main thread");
}
#endif

TEST(ObjectModelTest, RefusesModelsWithUnsafeOrMissingNames) {
    for (const char* text : {
             R"({"version": 1, "entities": [{"name": "a b", "attributes": [{"name": "x", "type": "string"}]}]})",
             R"({"version": 1, "entities": [{"name": "E", "attributes": [{"name": "x\"", "type": "string"}]}]})",
             R"({"version": 1, "entities": [{"name": "E", "attributes": [{"name": "x", "type": "float"}]}]})",
             R"({"version": 1, "entities": [{"name": "E", "attributes": [{"name": "x", "type": "string"},
                                                                         {"name": "x", "type": "date"}]}]})",
         }) {
        std::string reason;
        EXPECT_FALSE(ManagedObjectModel::fromJson(text, &reason)) << text;
        EXPECT_FALSE(reason.empty());
    }
}

}  // namespace
