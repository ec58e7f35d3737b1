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

// The names of temporaries, by their mark: each mark's own, and what a new name has.
TEST(FileIoTest, TemporaryNamesByTheirMark) {
    for (std::string_view mark : {".tmp-", ".aside-"}) {
        const std::string m(mark);
        for (const std::string& name : {"p.plist" + m + "0", "p.plist" + m + "18446744073709551615"})
            EXPECT_EQ(platform::temporaryTargetOf(name, mark), "p.plist") << name;
        EXPECT_EQ(platform::temporaryTargetOf("xp.plist" + m + "1", mark), "xp.plist");
        for (const std::string& name : {std::string("p.plist"), "p.plist" + m, "p.plist" + m + "1a", "p.plist" + m + "-1",
                                        "p.plist" + m + "123456789012345678901", "p.plist" + m + "1/", m + "1"})
            EXPECT_EQ(platform::temporaryTargetOf(name, mark), std::nullopt) << name;
        const auto made = platform::temporaryPathFor("/d/p.plist", mark);
        EXPECT_EQ(made.parent_path(), "/d");
        EXPECT_EQ(platform::temporaryTargetOf(made.filename().native(), mark), "p.plist") << made;
    }
    EXPECT_EQ(platform::temporaryTargetOf("p.plist.aside-1"), std::nullopt);  // the default mark is ".tmp-"
    EXPECT_EQ(platform::temporaryTargetOf("p.plist.tmp-1", ".aside-"), std::nullopt);
}
