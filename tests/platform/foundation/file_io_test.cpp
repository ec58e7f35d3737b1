#include <sys/stat.h>

#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_dir.hpp"
#include "vistrel/platform/foundation/file_io.hpp"

namespace fs = std::filesystem;
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

// A file read as far as the part its content tells: up to the length once it is told,
// never past the most the part may take until then, into room taken once for it.
TEST(FileIoTest, ReadsNoFurtherThanThePartItsContentTells) {
    testsupport::TempDir dir;
    const auto file = dir.write("part", std::string(1 << 20, 'x'));
    struct Row {
        const char* name;
        std::function<platform::ContentExtent(std::string_view bytes)> extent;
        std::size_t expected;
    };
    const std::vector<Row> rows = {
        {"a length", [](std::string_view) { return platform::ContentExtent{1000, 300000}; }, 1000},
        {"a length past the first read", [](std::string_view) { return platform::ContentExtent{200000, 500000}; },
         200000},
        {"never a length, at most 300,000 bytes",
         [](std::string_view) { return platform::ContentExtent{std::nullopt, 300000}; }, 300000},
        {"never a length, at most less as more is read",
         [](std::string_view bytes) {
             return platform::ContentExtent{std::nullopt, bytes.size() < 200000 ? 500000u : 250000u};
         },
         250000},
        {"nothing told", [](std::string_view) { return platform::ContentExtent{}; }, 1 << 20},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto read = platform::readFileWithin(file, 2 << 20, row.extent);
        ASSERT_TRUE(read.bytes);
        EXPECT_EQ(read.bytes->size(), row.expected);
        // The room is that of the most the part could take when first told, or the file.
        EXPECT_LE(read.bytes->capacity(), std::size_t(1 << 20));
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

        // A name too long to be kept whole in its temporaries' names (NAME_MAX: 255 bytes)
        // has them under its stem: one byte longer than any name kept whole, so no other
        // file's name, cut between characters, and another for a name that begins alike.
        const std::size_t wholeAtMost = 255 - m.size() - 20;
        EXPECT_EQ(platform::temporaryStemOf(std::string(wholeAtMost, 'n'), mark), std::string(wholeAtMost, 'n'));
        std::string utf8 = "n";
        while (utf8.size() < 255) utf8 += "Ã©";
        for (const std::string& name : {std::string(wholeAtMost + 1, 'n'), std::string(255, 'n'), utf8}) {
            const std::string stem = platform::temporaryStemOf(name, mark);
            const auto temporary = platform::temporaryPathFor("/d/" + name, mark);
            EXPECT_LE(temporary.filename().native().size(), 255u);
            EXPECT_EQ(std::pair(temporary.parent_path(), platform::temporaryTargetOf(temporary.filename().native(), mark)),
                      std::pair(fs::path("/d"), std::optional<std::string_view>(stem)));
            const std::size_t cut = stem.rfind('.');
            EXPECT_EQ(std::tuple(stem.size(), stem.substr(0, cut), (name[cut] & 0xC0) != 0x80),
                      std::tuple(wholeAtMost + 1, name.substr(0, cut), true));
            EXPECT_NE(stem, platform::temporaryStemOf(name.substr(0, name.size() - 1) + "m", mark));
        }
    }
    EXPECT_EQ(platform::temporaryTargetOf("p.plist.aside-1"), std::nullopt);  // the default mark is ".tmp-"
    EXPECT_EQ(platform::temporaryTargetOf("p.plist.tmp-1", ".aside-"), std::nullopt);
}
