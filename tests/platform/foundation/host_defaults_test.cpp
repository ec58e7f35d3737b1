// The host's standard defaults: its file either comes back value for value after the kit
// sets a key of its own, or is left byte for byte; and what the kit sets is kept exactly
// or refused without changing anything.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <bit>
#include <cmath>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "hostile_property_lists.hpp"
#include "stopped_runs.hpp"
#include "support/set_aside_copies.hpp"
#include "support/temp_dir.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/foundation/property_list.hpp"
#include "vistrel/platform/foundation/user_defaults.hpp"

using platform::Number;
using platform::UserDefaults;
using platform::Value;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono;
using Entries = std::vector<std::pair<std::string, Value>>;

platform::Date at(year_month_day day, microseconds time = {}) { return platform::Date(sys_days(day)) + time; }

// Seconds since 2001 as a binary file's date object.
std::string binaryDate(double seconds) {
    std::string object = "\x33";
    plisttest::appendBigEndian(object, std::bit_cast<std::uint64_t>(seconds), 8);
    return object;
}

// A binary file of one dictionary: keys and values given as objects.
std::string binaryDictionary(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string top(1, static_cast<char>(0xD0 | entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) top += plisttest::ref(1 + i);
    for (std::size_t i = 0; i < entries.size(); ++i) top += plisttest::ref(1 + entries.size() + i);
    std::vector<std::string> objects{top};
    for (const auto& entry : entries) objects.push_back(entry.first);
    for (const auto& entry : entries) objects.push_back(entry.second);
    return plisttest::binaryPlist(objects);
}

std::string ascii(std::string_view text) { return std::string(1, static_cast<char>(0x50 | text.size())).append(text); }

const std::string kHostXml = plisttest::xmlPlist(
    "<dict>"
    "<key>year1</key><date>0001-01-01T00:00:00Z</date>"
    "<key>year4001</key><date>4001-01-01T00:00:00Z</date>"
    "<key>year2101</key><date>2101-06-01T12:00:00.250000Z</date>"
    "<key>uint64max</key><integer>18446744073709551615</integer>"
    "<key>int64min</key><integer>-9223372036854775808</integer>"
    "<key>lines</key><string>a&#13;&#10;b\tc</string>"
    "<key>cl\xc3\xa9</key><real>0.1</real>"
    "<key>noSeconds</key><date>2024-01-02T03:04Z</date>"
    "<key>day</key><date>2024-01-02Z</date>"
    "<key>negativeNaN</key><real>-nan</real>"
    "</dict>");

const Entries kHostXmlValues = {
    {"year1", Value(at(year(1) / 1 / 1))},
    {"year4001", Value(at(year(4001) / 1 / 1))},
    {"year2101", Value(at(year(2101) / 6 / 1, hours(12) + milliseconds(250)))},
    {"uint64max", Value(Number::fromUInt(UINT64_MAX))},
    {"int64min", Value(Number::fromInt(INT64_MIN))},
    {"lines", Value("a\r\nb\tc")},
    {"cl\xc3\xa9", Value(Number::fromDouble(0.1))},
    {"noSeconds", Value(at(year(2024) / 1 / 2, hours(3) + minutes(4)))},
    {"day", Value(at(year(2024) / 1 / 2))},
};

// Dates two thousand years before and after 2001, and one past 2069 (the 32-bit seconds'
// end), texts holding a NUL, a key of UTF-16, the widest integers.
const std::string kSubMicrosecondDate = binaryDate(100.0000001);
const std::string kHostBinary = [] {
    using namespace std::string_literals;
    std::string uint64max = "\x14"s + std::string(8, '\0') + std::string(8, '\xff');
    return binaryDictionary({
        {ascii("year1"), binaryDate(-63113904000.0)},
        {ascii("year4001"), binaryDate(63113904000.0)},
        {ascii("year2101"), binaryDate(3155673600.0)},
        {ascii("subMicrosecond"), kSubMicrosecondDate},
        {ascii("nulAscii"), "\x53" "a\0b"s},
        {ascii("nulUtf16"), "\x62\0\0\0\xe9"s},
        {"\x63\0c\0l\0\xe9"s, ascii("v")},
        {ascii("uint64max"), uint64max},
        {ascii("int64min"), "\x13\x80"s + std::string(7, '\0')},
        {ascii("length16"), "\x5f\x14"s + std::string(15, '\0') + "\x0f" "fifteen letters"},
    });
}();

const Entries kHostBinaryValues = {
    {"year1", Value(at(year(1) / 1 / 1))},
    {"year4001", Value(at(year(4001) / 1 / 1))},
    {"year2101", Value(at(year(2101) / 1 / 1))},
    {"nulAscii", Value(std::string("a\0b", 3))},
    {"nulUtf16", Value(std::string("\0\xc3\xa9", 3))},
    {"cl\xc3\xa9", Value("v")},
    {"uint64max", Value(Number::fromUInt(UINT64_MAX))},
    {"int64min", Value(Number::fromInt(INT64_MIN))},
    {"length16", Value("fifteen letters")},
};

// The host's file (mode 0640) where its defaults are, or a chain of two links to it
// (relative targets, the file in another folder); gives the file itself.
fs::path placeHostFile(const testsupport::TempDir& dir, const std::string& bytes, bool linked,
                       const std::string& linkedName) {
    const fs::path file = dir.write(linked ? "host/" + linkedName : "preferences.plist", bytes);
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    if (linked) {
        fs::create_symlink("host/" + linkedName, dir / "chain");
        fs::create_symlink("chain", dir / "preferences.plist");
    }
    return file;
}

}  // namespace

// The kit sets one key of its own in the host's file, and every value the host wrote
// comes back exactly after a reopen, in the form the file was in: dates far from 2001 and
// finer than a microsecond or without their seconds, texts with NULs and line breaks,
// keys beyond ASCII, the widest integers, a negative NaN, a length of 16 bytes. The file keeps its mode; through links, the file they name changes and
// the links stay links. A file whose name has the 255 bytes a name may have is written as
// any other, its new file first written under a name that fits beside it.
TEST(HostDefaultsTest, EveryValueOfTheHostsFileComesBackAfterTheKitSetsOne) {
    struct Row {
        std::string name, bytes;
        const Entries& values;
        bool linked;
        std::string linkedName = "settings.plist";
    };
    for (const auto& [name, bytes, values, linked, linkedName] :
         {Row{"XML", kHostXml, kHostXmlValues, false}, Row{"binary", kHostBinary, kHostBinaryValues, false},
          Row{"XML through links", kHostXml, kHostXmlValues, true},
          Row{"binary through links", kHostBinary, kHostBinaryValues, true},
          Row{"XML through links, named in 255 bytes", kHostXml, kHostXmlValues, true,
              std::string(249, 's') + ".plist"}}) {
        SCOPED_TRACE(name);
        testsupport::TempDir dir;
        const fs::path file = placeHostFile(dir, bytes, linked, linkedName);
        const fs::path standard = dir / "preferences.plist";
        UserDefaults::resetStandard(standard);
        EXPECT_TRUE(UserDefaults::standard()->set("apiKey", Value("the kit's")));
        UserDefaults::resetStandard(standard);
        for (const auto& [key, value] : values) EXPECT_EQ(UserDefaults::standard()->object(key), value) << key;
        EXPECT_EQ(UserDefaults::standard()->string("apiKey"), "the kit's");
        if (const std::optional<Value> nan = UserDefaults::standard()->object("negativeNaN"); !bytes.starts_with("bplist")) {
            EXPECT_TRUE(nan && std::isnan(nan->number()->doubleValue()) && std::signbit(nan->number()->doubleValue()));
        }

        const std::string written = platform::readFile(file, 1 << 20).value_or("");
        EXPECT_EQ(written.substr(0, 6), bytes.substr(0, 6));
        // The binary date finer than a microsecond is written back bit for bit.
        EXPECT_TRUE(!bytes.starts_with("bplist") || written.find(kSubMicrosecondDate) != std::string::npos);
        struct stat st {};
        ASSERT_EQ(::stat(file.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0640u);
        EXPECT_EQ(std::tuple(fs::is_symlink(standard), fs::is_symlink(dir / "chain")), std::tuple(linked, linked));
        EXPECT_EQ(testsupport::setAsideCopies(file.parent_path(), file.filename().string()).size(), 0u);
    }
    UserDefaults::resetStandard();
}

// A value the file's form cannot keep exactly is refused before it is stored, and nothing
// of the file changes; a value set and a key removed after it are written with the others.
TEST(HostDefaultsTest, WhatTheFormCannotKeepIsRefusedAndLaterValuesAreWritten) {
    struct Row {
        std::string name;
        bool binary;
        std::string key;
        Value value;
        bool kept;
    };
    Value deep{platform::Array{}};
    for (int i = 0; i < 300; ++i) deep = Value(platform::Array{deep});
    const std::vector<Row> rows = {
        {"a null", false, "null", Value(), false},
        {"a null", true, "null", Value(), false},
        {"a text with a NUL, in XML", false, "nul", Value(std::string("a\0b", 3)), false},
        {"a text with a NUL, in binary", true, "nul", Value(std::string("a\0b", 3)), true},
        {"a text with a carriage return", false, "cr", Value("a\rb\r\n"), true},
        {"a text with another control character, in XML", false, "escape", Value("a\x1b"), false},
        {"a text that is not UTF-8", true, "latin", Value("caf\xe9"), false},
        {"a key that is not UTF-8", false, "caf\xe9", Value("v"), false},
        {"a key that is not UTF-8", true, "caf\xe9", Value("v"), false},
        {"a date of the year 12000, in XML", false, "far", Value(at(year(12000) / 1 / 1)), false},
        {"a date of the year 12000, in binary", true, "far", Value(at(year(12000) / 1 / 1)), true},
        {"a date of the year 4001, in XML", false, "never", Value(at(year(4001) / 1 / 1, microseconds(123456))), true},
        {"a microsecond in 4001, past a double's precision", true, "never", Value(at(year(4001) / 1 / 1, microseconds(123457))), false},
        {"the largest unsigned integer", false, "max", Value(Number::fromUInt(UINT64_MAX)), true},
        {"the largest unsigned integer", true, "max", Value(Number::fromUInt(UINT64_MAX)), true},
        {"an identifier", true, "uid", Value(platform::Opaque{"uid", "42"}), true},
        {"an identifier, which XML spells as a dictionary", false, "uid", Value(platform::Opaque{"uid", "42"}), false},
        {"an identifier spelled with a zero before it", true, "uid0", Value(platform::Opaque{"uid", "042"}), false},
        {"an opaque value of another kind", true, "thing", Value(platform::Opaque{"thing", "t"}), false},
        {"nesting deeper than a reader takes", true, "deep", deep, false},
    };
    for (const bool binary : {false, true}) {
        SCOPED_TRACE(binary ? "binary" : "XML");
        testsupport::TempDir dir;
        const std::string host = binary ? binaryDictionary({{ascii("host"), ascii("h")}})
                                        : plisttest::xmlPlist("<dict><key>host</key><string>h</string></dict>");
        const fs::path file = dir.write("preferences.plist", host);
        UserDefaults::resetStandard(file);
        const auto defaults = UserDefaults::standard();
        EXPECT_TRUE(defaults->set("removed", Value("r")));
        std::vector<const Row*> kept;
        for (const Row& row : rows) {
            if (row.binary != binary) continue;
            const std::string before = platform::readFile(file, 1 << 20).value_or("");
            const bool stored = defaults->set(row.key, row.value);
            EXPECT_EQ(std::tuple(stored, defaults->object(row.key).has_value()), std::tuple(row.kept, row.kept))
                << row.name;
            if (row.kept) kept.push_back(&row);
            EXPECT_TRUE(row.kept || platform::readFile(file, 1 << 20) == before) << row.name;
        }
        EXPECT_TRUE(defaults->set("later", Value("written")));
        EXPECT_TRUE(defaults->remove("removed"));
        UserDefaults::resetStandard(file);
        EXPECT_EQ(std::tuple(UserDefaults::standard()->string("later"), UserDefaults::standard()->string("host"),
                             UserDefaults::standard()->object("removed")),
                  std::tuple("written", "h", std::nullopt));
        for (const Row* row : kept) EXPECT_EQ(UserDefaults::standard()->object(row->key), row->value) << row->name;
        for (const Row& row : rows)
            EXPECT_TRUE(row.binary != binary || row.kept || !UserDefaults::standard()->object(row.key)) << row.name;
    }
    UserDefaults::resetStandard();
}

// A gigabyte of zeros where the host's file is (sparse) is known damaged from its first
// bytes, and left where it is: the kit's key lives for the run only.
TEST(HostDefaultsTest, AGigabyteOfZerosIsLeftAsItIs) {
    testsupport::TempDir dir;
    const fs::path file = dir / "preferences.plist";
    fs::resize_file(dir.write("preferences.plist", ""), std::uintmax_t(1) << 30);
    UserDefaults::resetStandard(file);
    EXPECT_FALSE(UserDefaults::standard()->set("apiKey", Value("k")));
    EXPECT_EQ(UserDefaults::standard()->string("apiKey"), "k");
    EXPECT_EQ(std::tuple(fs::file_size(file), testsupport::setAsideCopies(dir.path(), "preferences.plist").size()),
              std::tuple(std::uintmax_t(1) << 30, std::size_t{0}));
    UserDefaults::resetStandard(file);
    EXPECT_EQ(UserDefaults::standard()->string("apiKey"), std::nullopt);
    UserDefaults::resetStandard();
}

namespace {

// The host's own writes of its file: in place, truncated and then written, as a host
// that does not write atomically does.
void rewriteInPlace(const fs::path& file, std::string_view bytes) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return;
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += std::size_t(n);
    }
    ::close(fd);
}

std::string hostFile(std::string_view value) {
    return plisttest::xmlPlist("<dict><key>host</key><string>" + std::string(value) + "</string></dict>");
}

// What the host does to its file each time the kit begins to read it: "" leaves it,
// "truncate" empties it, anything else is written in place.
struct HostAtEachRead {
    fs::path file;
    std::vector<std::string> steps;
    std::size_t reads = 0;
    static HostAtEachRead* current;
    static void observe(std::string_view step) {
        if (step != "defaults: reading" || !current) return;
        const std::size_t at = current->reads++;
        const std::string& what = at < current->steps.size() ? current->steps[at] : current->steps.back();
        if (what == "truncate") fs::resize_file(current->file, 0);
        else if (!what.empty()) rewriteInPlace(current->file, what);
    }
};
HostAtEachRead* HostAtEachRead::current = nullptr;

}  // namespace

// The host rewrites its file in place while the kit opens the defaults: a read that saw
// the file change is made again; one still changing, or still no property list, leaves
// the file where it is and unwritten, the kit's value kept for the run only. The file is
// never moved aside, and never replaced by one of the kit's key alone.
TEST(HostDefaultsTest, AFileTheHostRewritesWhileItIsReadIsReadAgainOrLeftAsItIs) {
    struct Row {
        std::string name;
        std::vector<std::string> steps;
        std::optional<std::string> read;  // the host's value the kit reads, if any
        std::string left;                 // else what is logged of the file
    };
    const std::vector<Row> rows = {
        {"emptied as the kit reads it, written again before its next read", {"truncate", hostFile("second"), ""}, "second", ""},
        {"emptied as the kit reads it, and still empty", {"truncate", ""}, std::nullopt, "not a property list of a dictionary"},
        {"written again at every read", {hostFile("second"), hostFile("third one")}, std::nullopt, "changing while read (4 reads)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testsupport::TempDir dir;
        const fs::path file = dir.write("preferences.plist", hostFile("first"));
        HostAtEachRead host{file, row.steps};
        HostAtEachRead::current = &host;
        platform::setFileStepObserver(&HostAtEachRead::observe);
        platform::LogCapture log;
        UserDefaults::resetStandard(file);
        platform::setFileStepObserver(nullptr);
        const auto defaults = UserDefaults::standard();
        EXPECT_EQ(defaults->string("host"), row.read);
        const std::string before = platform::readFile(file, 1 << 20).value_or("");
        EXPECT_EQ(defaults->set("apiKey", Value("the kit's")), row.read.has_value());
        EXPECT_EQ(defaults->string("apiKey"), "the kit's");
        EXPECT_TRUE(row.read || (platform::readFile(file, 1 << 20) == before &&
                                 log.contains(row.left + "; left as it is, and not written over")));
        EXPECT_EQ(testsupport::setAsideCopies(dir.path(), "preferences.plist").size(), 0u);
        UserDefaults::resetStandard(file);
        EXPECT_EQ(UserDefaults::standard()->string("apiKey"), row.read ? std::optional<std::string>("the kit's") : std::nullopt);
    }
    HostAtEachRead::current = nullptr;

    // A host thread rewriting its file in place as the kit opens the defaults and sets
    // its key, once for each open: whatever the interleaving, the file is never moved
    // aside, and never holds the kit's key without the host's.
    testsupport::TempDir dir;
    const fs::path file = dir.write("preferences.plist", hostFile("h"));
    constexpr int kOpens = 200;
    std::atomic<int> opens{0};
    std::thread writer([&] {
        for (int rewritten = 0; rewritten < kOpens; ++rewritten) {
            while (opens.load() <= rewritten) std::this_thread::yield();
            rewriteInPlace(file, hostFile(std::string(std::size_t(rewritten % 7 + 1), 'h')));
        }
    });
    platform::LogCapture quiet;
    for (int open = 0; open < kOpens; ++open) {
        opens.store(open + 1);
        UserDefaults::resetStandard(file);
        UserDefaults::standard()->set("apiKey", Value("the kit's"));
        const std::optional<Value> seen = platform::readPropertyList(platform::readFile(file, 1 << 20).value_or(""));
        EXPECT_TRUE(!seen || !seen->dictionary() || seen->dictionary()->contains("host")) << open;
        if (!testsupport::setAsideCopies(dir.path(), "preferences.plist").empty()) {
            ADD_FAILURE() << "moved aside at open " << open;
            break;
        }
    }
    opens.store(kOpens);  // the host's last rewrites, should the opens have stopped early
    writer.join();
    UserDefaults::resetStandard();
}

namespace {

// A file of the host's values, in XML.
std::string hostValues(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string body = "<dict>";
    for (const auto& [key, value] : entries) body += "<key>" + key + "</key><string>" + value + "</string>";
    return plisttest::xmlPlist(body + "</dict>");
}

}  // namespace

// Another writer of the file (the host itself, in place or by a rename, or a second
// instance of the defaults, as a second process has) writes it after these defaults read
// or wrote it: their next change is made onto what the file holds then, so that nothing
// the other wrote is lost, and what was removed there stays removed.
TEST(HostDefaultsTest, AChangeIsMadeOntoWhatAnotherWriterLeftInTheFile) {
    struct Row {
        std::string name;
        bool fileAtOpen;
        std::function<void(const fs::path& file)> other;
        std::vector<std::pair<std::string, std::optional<std::string>>> expected;
    };
    // The host's next file: what it read then (the defaults' first key among it), a value
    // changed, one added and one removed.
    const std::string later = hostValues({{"first", "1"}, {"host", "later"}, {"added", "a"}});
    const std::vector<Row> rows = {
        {"the host rewrites its file in place", true, [&](const fs::path& file) { rewriteInPlace(file, later); },
         {{"host", "later"}, {"added", "a"}, {"removed", std::nullopt}, {"first", "1"}, {"second", "2"}}},
        {"the host replaces its file", true,
         [&](const fs::path& file) { platform::writeFileAtomically(file, later, 0600); },
         {{"host", "later"}, {"added", "a"}, {"removed", std::nullopt}, {"first", "1"}, {"second", "2"}}},
        {"the host makes its file after the defaults found none", false,
         [&](const fs::path& file) { platform::writeFileAtomically(file, later, 0600); },
         {{"host", "later"}, {"added", "a"}, {"first", "1"}, {"second", "2"}}},
        {"a second instance sets a key and removes one", true,
         [](const fs::path& file) {
             UserDefaults other(file);
             other.set("other", Value("o"));
             other.remove("removed");
         },
         {{"host", "h"}, {"other", "o"}, {"removed", std::nullopt}, {"first", "1"}, {"second", "2"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testsupport::TempDir dir;
        const fs::path file = dir / "preferences.plist";
        if (row.fileAtOpen) dir.write("preferences.plist", hostValues({{"host", "h"}, {"removed", "r"}}));
        UserDefaults defaults(file);
        EXPECT_TRUE(defaults.set("first", Value("1")));
        row.other(file);
        EXPECT_TRUE(defaults.set("second", Value("2")));
        const UserDefaults reopened(file);
        for (const auto& [key, value] : row.expected) EXPECT_EQ(reopened.string(key), value) << key;
        for (const auto& [key, value] : row.expected) EXPECT_EQ(defaults.string(key), value) << key;
    }
}

namespace {

// The host as a process of its own, writing its file at every other signal from its
// parent (at the others only answering): kHostWriterVariable says "<file> <how> <signal>
// <answer> <count file>", how it writes ("renames" or "in-place"), the pipe ends by
// number, and where it keeps the number of writes it made.
constexpr const char* kHostWriterVariable = "VISTREL_HOST_WRITER";

// A key of the host's per write, so that a write replaced shows as its key missing.
std::string hostKey(int write) { return "host-" + std::to_string(write); }

}  // namespace

// The child: the host reads its file, adds a key and writes it back, by a rename or in
// place, without any lock, every other time its parent signals.
TEST(HostDefaultsTest, DISABLED_HostWritingItsFile) {
    const char* writer = std::getenv(kHostWriterVariable);
    if (!writer) GTEST_SKIP() << "run by AHostWritingItsFileWhileTheKitWritesLosesNone";
    char file[4096], how[16], countFile[4096];
    int signal = -1, answer = -1;
    ASSERT_EQ(std::sscanf(writer, "%4095s %15s %d %d %4095s", file, how, &signal, &answer, countFile), 5);
    int writes = 0;
    for (int meeting = 0; testsupport::ProcessSignal::waitFor(signal); ++meeting) {
        if (meeting % 2 == 0) {
            std::optional<Value> values = platform::readPropertyList(platform::readFile(file, 1 << 20).value_or(""));
            ASSERT_TRUE(values && values->dictionary());
            values->mutableDictionary()->set(hostKey(writes), Value("h"));
            const std::string bytes = *platform::writePropertyList(platform::PropertyListFormat::xml, *values);
            if (std::string_view(how) == "renames") ASSERT_TRUE(platform::writeFileAtomically(file, bytes, 0600));
            else rewriteInPlace(file, bytes);
            std::ofstream(countFile, std::ios::trunc) << ++writes;
        }
        testsupport::ProcessSignal::give(answer);
    }
}

// The host, a process of its own that takes no lock, writes its file while the kit writes
// it: every other time the kit has its new file written whole and flushed, or every other
// time it is about to rename it into place (after its last look at the file, so that the
// host's file comes in as the rename would replace the file looked at). Whether the host
// renames its file or rewrites it in place, each of its writes is kept (counted, key by
// key), and each of the kit's.
TEST(HostDefaultsTest, AHostWritingItsFileWhileTheKitWritesLosesNone) {
    for (const char* how : {"renames", "in-place"}) {
        for (const char* step : {"write: flushed", "write: renaming"}) {
            SCOPED_TRACE(std::string(how) + " at " + step);
            testsupport::TempDir dir;
            const fs::path file = dir.write("preferences.plist", hostValues({{"host", "h"}}));
            testsupport::ProcessSignal toHost, fromHost;
            const std::string writer = file.string() + " " + how + " " + std::to_string(toHost.readEnd) + " " +
                                       std::to_string(fromHost.writeEnd) + " " + (dir / "host-writes").string();
            const pid_t host = testsupport::startThisProgram(
                {"--gtest_also_run_disabled_tests", "--gtest_filter=HostDefaultsTest.DISABLED_HostWritingItsFile"},
                {std::string(kHostWriterVariable) + "=" + writer}, dir / "host-output", true);
            ASSERT_GT(host, 0);
            UserDefaults defaults(file);
            testsupport::StepActions actions;
            actions.meetAt = step;
            actions.signalFd = toHost.writeEnd;
            actions.waitFd = fromHost.readEnd;
            actions.meetEachTime = true;
            testsupport::actAtSteps(actions);
            constexpr int kSets = 20;
            for (int i = 0; i < kSets; ++i) EXPECT_TRUE(defaults.set("kit-" + std::to_string(i), Value("k"))) << i;
            testsupport::stopActingAtSteps();
            ::kill(host, SIGKILL);  // waiting for a signal that never comes
            testsupport::waitForChild(host);

            const int writes = std::stoi(platform::readFile(dir / "host-writes", 64).value_or("0"));
            const UserDefaults reopened(file);
            int hostKept = 0, kitKept = 0;
            for (int i = 0; i < writes; ++i) hostKept += reopened.string(hostKey(i)) == "h" ? 1 : 0;
            for (int i = 0; i < kSets; ++i) kitKept += reopened.string("kit-" + std::to_string(i)) == "k" ? 1 : 0;
            EXPECT_GE(writes, kSets / 2) << platform::readFile(dir / "host-output", 1 << 20).value_or("");
            EXPECT_EQ(std::tuple(hostKept, kitKept, reopened.string("host")), std::tuple(writes, kSets, "h"))
                << "of the host's " << writes << " writes and the kit's " << kSets;
        }
    }
}

namespace {

// The host's file before and after a rewrite in place at the same length, and where the
// second half of the new bytes begins.
const std::string kBeforeRewrite = hostValues({{"a", "old a"}, {"pad", std::string(200, '.')}, {"b", "old b"}});
const std::string kAfterRewrite = hostValues({{"a", "new a"}, {"pad", std::string(200, '.')}, {"b", "new b"}});
const std::size_t kSecondHalf = kAfterRewrite.find("new b");

// The host's rewrite under way as the kit opens its defaults: the first half of the new
// bytes written before, the second half at a step of the kit's read. A host's write takes
// less than a step of the clock that stamps file times, so it ends where the kit waits for
// its change to settle, or, where the kit found the change a step old already (a machine
// slower than that between the two), before the kit reads.
struct HostRewriting {
    static inline fs::path file;
    static inline bool ended = false;
    static inline int waitedFor = 0;  // rounds where the kit waited while the write was under way

    static void write(std::size_t from, std::size_t to) {
        const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) return;
        if (::pwrite(fd, kAfterRewrite.data() + from, to - from, off_t(from)) != ssize_t(to - from)) ADD_FAILURE();
        ::close(fd);
    }
    static void observe(std::string_view step) {
        const bool waits = step == "look: waiting for a change to settle";
        if ((!waits && step != "defaults: reading") || std::exchange(ended, true)) return;
        waitedFor += waits ? 1 : 0;
        write(kSecondHalf, kAfterRewrite.size());
    }
};

}  // namespace

// The host rewrites its file in place at the same length, and the kit opens its defaults
// while the host's write is under way: the first half of the new bytes is in the file,
// the second not yet. A write's times are stamped as it begins, so the file looks the
// same before and after a read that saw half of it. The kit reads the file only once its
// last change is older than the step of the clock that stamps file times, waiting for it
// meanwhile: it never takes half the old values and half the new, nor writes them back.
// Whatever the machine's speed, every round comes back whole; rounds go on until the kit
// has found the host's write under way and waited for it (the first, but on a machine
// slower than the clock's step between the host's write and the kit's look).
TEST(HostDefaultsTest, ARewriteInPlaceAtTheSameLengthIsNeverReadHalfAndHalf) {
    ASSERT_EQ(kBeforeRewrite.size(), kAfterRewrite.size());
    HostRewriting::waitedFor = 0;
    for (int round = 0; round < 3 || (HostRewriting::waitedFor == 0 && round < 100); ++round) {
        SCOPED_TRACE(round);
        testsupport::TempDir dir;
        HostRewriting::file = dir.write("preferences.plist", kBeforeRewrite);
        HostRewriting::ended = false;
        platform::setFileStepObserver(&HostRewriting::observe);
        HostRewriting::write(0, kSecondHalf);
        UserDefaults::resetStandard(HostRewriting::file);
        platform::setFileStepObserver(nullptr);
        EXPECT_TRUE(HostRewriting::ended);
        const auto defaults = UserDefaults::standard();
        EXPECT_EQ(std::tuple(defaults->string("a"), defaults->string("b")), std::tuple("new a", "new b"));
        EXPECT_TRUE(defaults->set("kit", Value("k")));
        UserDefaults::resetStandard(HostRewriting::file);
        EXPECT_EQ(std::tuple(UserDefaults::standard()->string("a"), UserDefaults::standard()->string("b"),
                             UserDefaults::standard()->string("kit")),
                  std::tuple("new a", "new b", "k"));
    }
    EXPECT_GT(HostRewriting::waitedFor, 0) << "the kit never waited for the host's write under way as it opened";
    UserDefaults::resetStandard();
}

namespace {

// Another writer of the file, in this process, that sets a key once, as soon as a change
// of other defaults has its new file written whole, before it is put in place.
struct WriterMeanwhile {
    static inline fs::path file;
    static inline bool written = false;
    static void observe(std::string_view step) {
        if (step != "write: flushed" || std::exchange(written, true)) return;
        UserDefaults(file).set("other", Value("o"));
    }
};

}  // namespace

// Another writer writes the file while a change of the defaults is being written (its
// new file written whole, not yet in place): the change is made again onto what the other
// left, a key set as a key removed, and the other's values stay.
TEST(HostDefaultsTest, AChangeIsMadeAgainOntoAFileAnotherWriterWroteMeanwhile) {
    for (const bool removal : {false, true}) {
        SCOPED_TRACE(removal ? "a key removed" : "a key set");
        testsupport::TempDir dir;
        WriterMeanwhile::file = dir.write("preferences.plist", hostValues({{"host", "h"}, {"removed", "r"}}));
        UserDefaults defaults(WriterMeanwhile::file);
        WriterMeanwhile::written = false;
        platform::setFileStepObserver(&WriterMeanwhile::observe);
        EXPECT_TRUE(removal ? defaults.remove("removed") : defaults.set("set", Value("s")));
        platform::setFileStepObserver(nullptr);
        const UserDefaults reopened(WriterMeanwhile::file);
        const std::optional<std::string> kept = removal ? std::nullopt : std::optional<std::string>("r");
        const std::optional<std::string> set = removal ? std::nullopt : std::optional<std::string>("s");
        for (const UserDefaults* seen : std::vector<const UserDefaults*>{&defaults, &reopened})
            EXPECT_EQ(std::tuple(seen->string("host"), seen->string("other"), seen->string("removed"), seen->string("set")),
                      std::tuple("h", "o", kept, set));
    }
}
