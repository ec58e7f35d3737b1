#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_dir.hpp"
#include "vistrel/platform/foundation/file_io.hpp"

using platform::FileReadError;

// What the one reader gives for each kind of path, against a bound of 8 bytes. Nothing
// here may block: a FIFO without a writer is refused before it is opened.
TEST(FileIoTest, ReadsRegularFilesWithinTheBoundAndRefusesTheRest) {
    testsupport::TempDir dir;
    struct Row {
        const char* name;
        std::function<std::filesystem::path()> make;
        std::optional<std::string> bytes;
        std::optional<FileReadError> error;
    };
    const std::vector<Row> rows = {
        {"empty", [&] { return dir.write("empty", ""); }, "", std::nullopt},
        {"at the bound", [&] { return dir.write("eight", "12345678"); }, "12345678", std::nullopt},
        {"a link to a file", [&] {
             std::filesystem::create_symlink(dir.write("target", "linked"), dir / "link");
             return dir / "link";
         }, "linked", std::nullopt},
        {"one byte over", [&] { return dir.write("nine", "123456789"); }, std::nullopt, FileReadError::tooLarge},
        {"missing", [&] { return dir / "missing"; }, std::nullopt, FileReadError::missing},
        {"under a file", [&] { return dir.write("plain", "x") / "below"; }, std::nullopt, FileReadError::missing},
        {"a folder", [&] { return dir.path(); }, std::nullopt, FileReadError::notRegularFile},
        {"a FIFO", [&] {
             ::mkfifo((dir / "fifo").c_str(), 0600);
             return dir / "fifo";
         }, std::nullopt, FileReadError::notRegularFile},
        {"a device", [] { return std::filesystem::path("/dev/zero"); }, std::nullopt, FileReadError::notRegularFile},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const platform::FileRead read = platform::readFileWithin(row.make(), 8);
        EXPECT_EQ(std::pair(read.bytes, read.error), std::pair(row.bytes, row.error));
    }
}

TEST(FileIoTest, TemporaryNamesOfAnAtomicWrite) {
    for (const char* name : {"p.plist.tmp-0", "p.plist.tmp-18446744073709551615"})
        EXPECT_EQ(platform::temporaryTargetOf(name), "p.plist") << name;
    EXPECT_EQ(platform::temporaryTargetOf("xp.plist.tmp-1"), "xp.plist");
    for (const char* name : {"p.plist", "p.plist.tmp-", "p.plist.tmp-1a", "p.plist.tmp--1", "p.plist.tmp-123456789012345678901",
                             "p.plist.tmp-1/", ".tmp-1"})
        EXPECT_EQ(platform::temporaryTargetOf(name), std::nullopt) << name;
}
