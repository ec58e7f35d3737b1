#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "support/step_count.hpp"
#include "support/temp_dir.hpp"
#include "vistrel/platform/foundation/file_lock.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/foundation/user_defaults.hpp"
#include "vistrel/platform/foundation/wait_bound.hpp"
#include "vistrel/platform/foundation/writers_turns.hpp"

namespace fs = std::filesystem;
using platform::FileLock;
using platform::UserDefaults;
using platform::Value;
using platform::WritersTurns;

// Writers of one file find one lock, by whatever path they name the file (its folder
// reached through a link), and in whatever build (its name is the same hash of the path in
// all); writers of two files never share one. A lock's name keeps to what a file system
// takes, however long the file's.
TEST(WritersTurnsTest, WritersOfOneFileShareALockAndWritersOfTwoFilesNever) {
    testsupport::TempDir dir;
    fs::create_directories(dir / "real");
    fs::create_directory_symlink(dir / "real", dir / "linked");
    const auto lockOf = [&](const fs::path& file) { return WritersTurns::lockOf(dir / "locks", file); };
    const fs::path lock = lockOf(dir / "real/p.plist");
    EXPECT_EQ(std::tuple(lockOf(dir / "linked/p.plist"), lockOf(dir / "real/gone/../p.plist"), lock.parent_path()),
              std::tuple(lock, lock, dir / "locks"));
    EXPECT_NE(lockOf(dir / "real/q.plist"), lock);
    EXPECT_NE(lockOf(dir / "other/p.plist"), lock);
    EXPECT_TRUE(lock.filename().native().starts_with("p.plist."));
    EXPECT_LE(lockOf(dir / std::string(255, 'n')).filename().native().size(), 255u);
    EXPECT_EQ(WritersTurns::lockOf("/locks", "/nonexistent-folder/preferences.plist"),
              "/locks/preferences.plist.d63bb677cf6707a440c0d290d99ebe9f.lock");
}

// Behind a writer holding the file's turn for good, each set fails, its change kept. Sets
// made within one call (a WaitBound around them) wait for the turn once in all, not once
// each. The first set once the turn is free writes every change kept.
TEST(WritersTurnsTest, SetsOfOneCallWaitForTheTurnOnceInAll) {
    testsupport::TempDir dir;
    const fs::path file = dir / "p.plist";
    UserDefaults defaults(file, std::nullopt, dir / "locks");
    ASSERT_TRUE(defaults.set("before", Value("b")));
    std::optional<FileLock> holder = FileLock::take(WritersTurns::lockOf(dir / "locks", file), {});
    ASSERT_TRUE(holder);
    int waits = 0;
    {
        const testsupport::StepCount told("lock: waiting for another holder");
        const platform::WaitBound call(platform::callWaitBound);
        for (const char* key : {"a", "b", "c"}) EXPECT_FALSE(defaults.set(key, Value(key)));
        waits = told.count();
    }
    EXPECT_LE(waits, 1);
    EXPECT_EQ(std::tuple(UserDefaults(file).string("a"), defaults.string("c")), std::tuple(std::nullopt, "c"));
    holder.reset();
    EXPECT_TRUE(defaults.set("d", Value("d")));
    const UserDefaults written(file);
    EXPECT_EQ(std::tuple(written.string("before"), written.string("a"), written.string("b"), written.string("c"),
                         written.string("d")),
              std::tuple("b", "a", "b", "c", "d"));
}

// A writer that asked for the next turn and was stopped dead keeps its ask held: the next
// write gives way to it (100 ms at most) and finds it came to nothing; later writes, the
// ask still held, go on without giving way again.
TEST(WritersTurnsTest, AnAskThatCameToNothingIsGivenWayToOnce) {
    testsupport::TempDir dir;
    const fs::path file = dir / "p.plist";
    UserDefaults defaults(file, std::nullopt, dir / "locks");
    ASSERT_TRUE(defaults.set("first", Value("1")));
    const std::optional<FileLock> asking = FileLock::take(
        WritersTurns::priorityOf(WritersTurns::lockOf(dir / "locks", file)), {}, nullptr, FileLock::Hold::shared);
    ASSERT_TRUE(asking);
    const testsupport::StepCount gaveWay("defaults: giving way to another writer");
    for (const char* key : {"a", "b", "c"}) EXPECT_TRUE(defaults.set(key, Value(key)));
    EXPECT_EQ(gaveWay.count(), 1);
    EXPECT_EQ(UserDefaults(file).string("c"), "c");
}

// Where the file steps stop the process (a test stepping processes against each other),
// giving way is the step alone: what the other writer did while this one was stopped there
// is looked at once after it, never waited for. A give-way the other used leaves the next
// ask to be given way to; one that came to nothing, not while that ask is held.
TEST(WritersTurnsTest, WhereTheStepsStopTheProcessGivingWayIsTheStepAlone) {
    static fs::path file;
    static bool otherWrites = false;
    for (const bool writes : {true, false}) {
        SCOPED_TRACE(writes ? "the other writes meanwhile" : "the other does not");
        testsupport::TempDir dir;
        file = dir / "p.plist";
        otherWrites = writes;
        WritersTurns turns([&]() -> std::optional<fs::path> { return dir / "locks"; });
        WritersTurns::Write write = turns.begin(file);
        ASSERT_EQ(write.take(), WritersTurns::Write::Turn::had);
        const std::optional<FileLock> asking = FileLock::take(
            WritersTurns::priorityOf(WritersTurns::lockOf(dir / "locks", file)), {}, nullptr, FileLock::Hold::shared);
        ASSERT_TRUE(asking && write.anotherAsks());
        platform::setFileStepObserver(
            [](std::string_view step) {
                if (step == "defaults: giving way to another writer" && otherWrites) std::ofstream(file) << "other";
            },
            /*stops=*/true);
        int looks = 0;
        write.giveWay([&] { return ++looks, fs::exists(file); });
        platform::setFileStepObserver(nullptr);
        EXPECT_EQ(looks, 1);
        ASSERT_EQ(write.take(), WritersTurns::Write::Turn::had);
        EXPECT_EQ(write.anotherAsks(), writes);
    }
}
