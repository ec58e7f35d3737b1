#include <sys/stat.h>

#include <algorithm>
#include <string_view>
#include <atomic>
#include <bit>
#include <chrono>
#include <functional>
#include <thread>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "hostile_property_lists.hpp"
#include "support/set_aside_copies.hpp"
#include "support/temp_dir.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/foundation/property_list.hpp"
#include "vistrel/platform/foundation/user_defaults.hpp"
#include "vistrel/platform/foundation/writers_turns.hpp"

using platform::Number;
using platform::UserDefaults;
using platform::Value;

namespace {

// A dictionary of `count` keys "k0"... with short texts, as property-list XML inside <plist>.
std::string keysPlist(int count) {
    std::string dict = "<dict>";
    for (int i = 0; i < count; ++i)
        dict.append("<key>k").append(std::to_string(i)).append("</key><string>v</string>");
    return dict.append("</dict>");
}

}  // namespace

TEST(UserDefaultsTest, TypedValuesSurviveReopening) {
    testsupport::TempDir dir;
    auto file = dir / "nested/preferences.plist";
    {
        UserDefaults defaults(file);
        EXPECT_TRUE(defaults.set("key", Value("secret")));
        EXPECT_TRUE(defaults.setBool("flag", true));
        EXPECT_TRUE(defaults.set("number", Value(Number::fromInt(12))));
    }
    UserDefaults reopened(file);
    // A number stored under a key does not read as text.
    EXPECT_EQ(std::tuple(reopened.string("key"), *reopened.object("flag")->number(), reopened.string("number"),
                         *reopened.object("number")->number()),
              std::tuple("secret", Number::fromBool(true), std::nullopt, Number::fromInt(12)));
    EXPECT_TRUE(reopened.remove("key"));
    EXPECT_EQ(UserDefaults(file).string("key"), std::nullopt);
}

// Data, dates and identifiers in a defaults file (written by another program, or in
// binary form) are kept as they were when another key is saved.
TEST(UserDefaultsTest, SavingKeepsDataAndDatesOfTheFile) {
    // {"d": a date 100.5 s after 2001 began, "u": the identifier 42}
    std::string date = "\x33";
    plisttest::appendBigEndian(date, std::bit_cast<std::uint64_t>(100.5), 8);
    const std::string dateAndIdentifier = plisttest::binaryPlist(
        {std::string("\xD2").append(plisttest::ref(1)).append(plisttest::ref(2)).append(plisttest::ref(3)).append(plisttest::ref(4)),
         "\x51" "d", "\x51" "u", date, std::string("\x80\x2A")});
    for (const char* name : {"sample.xml.plist", "sample.bplist", "a binary date of half a second"}) {
        testsupport::TempDir dir;
        auto file = dir / "preferences.plist";
        if (std::string_view(name).starts_with("sample"))
            std::filesystem::copy_file(std::string(VISTREL_TEST_DATA) + "/plist/" + name, file);
        else
            dir.write("preferences.plist", dateAndIdentifier);
        auto expected = platform::readPropertyList(*platform::readFile(file, 64u << 20));
        expected->mutableDictionary()->set("apiKey", Value("k"));
        EXPECT_TRUE(UserDefaults(file).set("apiKey", Value("k")));
        EXPECT_EQ(platform::readPropertyList(*platform::readFile(file, 64u << 20)), expected) << name;
    }
}

TEST(UserDefaultsTest, FileIsPrivateAndWrittenWhole) {
    testsupport::TempDir dir;
    auto file = dir / "preferences.plist";
    UserDefaults defaults(file);
    defaults.set("apiKey", Value("k"));
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // No temporary file is left beside it.
    int entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) (void)e, ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(UserDefaultsTest, BooleanReadingOfTextsAndNumbers) {
    testsupport::TempDir dir;
    UserDefaults defaults(dir / "p.plist");
    for (auto [value, truth] : {std::pair{Value("YES"), true}, {Value("nope"), false},
                                {Value(Number::fromInt(2)), true}, {Value(Number::fromDouble(0.0)), false}}) {
        defaults.set("k", value);
        EXPECT_EQ(defaults.boolValue("k"), truth);
    }
    EXPECT_FALSE(defaults.boolValue("missing"));
}

// A file only its owner writes that does not read is not one it wrote: the defaults
// start empty and the next change writes a new file.
TEST(UserDefaultsTest, UnreadableFileStartsEmptyAndIsReplacedOnWrite) {
    testsupport::TempDir dir;
    auto file = dir.write("p.plist", "garbage");
    UserDefaults defaults(file, platform::DefaultsBounds{});
    EXPECT_EQ(defaults.object("anything"), std::nullopt);
    EXPECT_TRUE(defaults.set("a", Value("b")));
    EXPECT_EQ(UserDefaults(file).string("a"), "b");
}

// A damaged file only its owner writes is moved aside with its bytes, never read into the
// defaults, and never stops the process; the next change writes a new file beside the
// damaged one. It goes aside too past its bounds, or past the reader's.
TEST(UserDefaultsTest, DamagedFilesAreMovedAsideAndTheDefaultsStartEmpty) {
    struct Row {
        std::string name, bytes, kind;
        std::optional<platform::DefaultsBounds> ownBounds;
    };
    std::vector<Row> rows;
    for (auto& [name, bytes] : plisttest::damagedPropertyLists())
        rows.push_back({name, bytes, "unreadable", platform::DefaultsBounds{}});
    rows.push_back({"an array", plisttest::xmlPlist("<array><string>a</string></array>"), "unreadable",
                    platform::DefaultsBounds{}});
    rows.push_back({"sound, but past its owner's 1 MB",
                    plisttest::xmlPlist("<dict><key>a</key><string>b</string></dict>") + std::string(1u << 20, ' '),
                    "too large", platform::DefaultsBounds{1u << 20, 1000}});
    for (auto& [name, bytes] : plisttest::pastBoundsPropertyLists())
        rows.push_back({name + ", its owner's", bytes, "too large", platform::DefaultsBounds{}});
    for (auto& [name, bytes] : plisttest::unrepresentablePropertyLists())
        rows.push_back({name + ", its owner's", bytes, "unrepresentable", platform::DefaultsBounds{}});
    for (const auto& [name, bytes, kind, ownBounds] : rows) {
        SCOPED_TRACE(name);
        testsupport::TempDir dir;
        auto file = dir.write("p.plist", bytes);
        platform::LogCapture log;
        UserDefaults defaults(file, ownBounds);
        EXPECT_TRUE(log.contains(std::string("UserDefaults :: ")
                                     .append(kind)
                                     .append(" defaults file ")
                                     .append(file.string())
                                     .append(", moved aside to ")
                                     .append(file.string())
                                     .append(".damaged-")));
        EXPECT_EQ(std::tuple(defaults.object("a"), defaults.object("k"), std::filesystem::exists(file)),
                  std::tuple(std::nullopt, std::nullopt, false));
        EXPECT_TRUE(defaults.set("apiKey", Value("k")));
        EXPECT_EQ(UserDefaults(file).string("apiKey"), "k");
        EXPECT_EQ(testsupport::setAsideCopies(dir.path(), "p.plist"), std::vector{bytes});
    }
}

// The standard defaults are the host's: its file is read at whatever size it keeps, and
// a change is written with all of it. One the reader takes nothing of (damaged, past its
// bounds, or holding what it cannot carry exactly) stays as it is, and no change is
// written over it: the host may be writing it at this instant.
TEST(UserDefaultsTest, TheHostsStandardDefaultsAreReadOrLeftNeverLost) {
    const std::string text(1u << 20, 'x');
    std::string large = "<dict><key>a</key><string>b</string>";
    for (int i = 0; i < 18; ++i) large.append("<key>k").append(std::to_string(i)).append("</key><string>" + text + "</string>");
    struct Row {
        std::string name, bytes;
        bool read;
    };
    std::vector<Row> rows = {{"18 MB of texts", plisttest::xmlPlist(large + "</dict>"), true}};
    for (auto& [name, bytes] : plisttest::pastBoundsPropertyLists()) rows.push_back({name, bytes, false});
    for (auto& [name, bytes] : plisttest::unrepresentablePropertyLists()) rows.push_back({name, bytes, false});
    for (const auto& [name, bytes, read] : rows) {
        SCOPED_TRACE(name);
        testsupport::TempDir dir;
        auto file = dir.write("preferences.plist", bytes);
        UserDefaults::resetStandard(file);
        auto defaults = UserDefaults::standard();
        const std::optional<Value> before = defaults->object("a");
        EXPECT_EQ(std::tuple(before.has_value(), defaults->set("new", Value("v"))), std::tuple(read, read));
        UserDefaults::resetStandard(file);
        EXPECT_EQ(std::tuple(UserDefaults::standard()->object("a") == before, UserDefaults::standard()->string("new"),
                             testsupport::setAsideCopies(dir.path(), "preferences.plist").size()),
                  std::tuple(true, read ? std::optional<std::string>("v") : std::nullopt, std::size_t{0}));
        // Compared, not printed: the values are megabytes long.
        EXPECT_TRUE(UserDefaults::standard()->string("k17") == (read ? std::optional(text) : std::nullopt));
        EXPECT_TRUE(read || platform::readFile(file, 64u << 20) == bytes);
    }
    testsupport::TempDir dir;
    const auto file = dir / "preferences.plist";
    // {"a": [true x 1,100,000]}, each a reference to one shared value: more values than a
    // fixed bound of a million would take, in a file of 2.2 MB.
    const std::uint64_t shared = 1'100'000;
    std::string array = "\xAF\x12";
    plisttest::appendBigEndian(array, shared, 4);
    for (std::uint64_t i = 0; i < shared; ++i) array += plisttest::ref(3);
    dir.write("preferences.plist", plisttest::binaryPlist({plisttest::dictionaryOfNext(), "\x51" "a", array, "\x09"}));
    UserDefaults::resetStandard(file);
    const std::optional<Value> many = UserDefaults::standard()->object("a");
    EXPECT_EQ(many && many->array() ? many->array()->size() : 0u, shared);
    for (const auto& [name, bytes] : plisttest::damagedPropertyLists()) {
        SCOPED_TRACE(name);
        dir.write("preferences.plist", bytes);
        UserDefaults::resetStandard(file);
        EXPECT_FALSE(UserDefaults::standard()->set("apiKey", Value(name)));
        EXPECT_EQ(UserDefaults::standard()->string("apiKey"), name);  // for this run
        EXPECT_TRUE(platform::readFile(file, 2u << 20) == bytes);
        EXPECT_EQ(testsupport::setAsideCopies(dir.path(), "preferences.plist").size(), 0u);
    }
    UserDefaults::resetStandard();
}

TEST(UserDefaultsTest, ReadersOnOtherThreadsWhileTheMainThreadWrites) {
    testsupport::TempDir dir;
    UserDefaults defaults(dir / "p.plist");
    defaults.set("apiKey", Value("key-0"));
    std::atomic<bool> done{false};
    std::atomic<int> reads{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 3; ++i)
        readers.emplace_back([&] {
            while (!done) {
                auto key = defaults.string("apiKey");
                ASSERT_TRUE(key);
                ASSERT_EQ(key->rfind("key-", 0), 0u);
                ++reads;
            }
        });
    for (int i = 1; i <= 100; ++i) defaults.set("apiKey", Value(std::string("key-").append(std::to_string(i))));
    done = true;
    for (auto& t : readers) t.join();
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(UserDefaults(dir / "p.plist").string("apiKey"), "key-100");
}

// The standard defaults are the program's own: however many keys it keeps, they read.
TEST(UserDefaultsTest, StandardDefaultsOfManyKeysRead) {
    for (int keys : {1000, 1001, 20000}) {
        SCOPED_TRACE(keys);
        testsupport::TempDir dir;
        auto file = dir.write("preferences.plist", plisttest::xmlPlist(keysPlist(keys)));
        UserDefaults::resetStandard(file);
        const auto last = std::string("k").append(std::to_string(keys - 1));
        EXPECT_EQ(std::tuple(UserDefaults::standard()->string("k0"), UserDefaults::standard()->string(last),
                             std::filesystem::exists(file)),
                  std::tuple("v", "v", true));
    }
    UserDefaults::resetStandard();
}

// A run stopped between writing the new file and renaming it leaves "<name>.tmp-<digits>";
// the next start removes those, and nothing else: not one written minutes ago, which a
// process sharing the folder may still be writing.
TEST(UserDefaultsTest, TemporariesLeftByAnEarlierRunAreRemoved) {
    testsupport::TempDir dir;
    const auto now = std::filesystem::file_time_type::clock::now();
    auto aged = [&](std::filesystem::path path, std::filesystem::file_time_type::duration age = std::chrono::hours(1)) {
        std::filesystem::last_write_time(path, now - age);
        return path;
    };
    const std::vector<std::filesystem::path> stale = {
        aged(dir.write("p.plist.tmp-123", "<plist")),
        aged(dir.write("p.plist.tmp-18446744073709551615", "")),
    };
    std::filesystem::create_directory(dir / "p.plist.tmp-7");
    std::filesystem::create_symlink(dir / "p.plist.tmp-123", dir / "p.plist.tmp-8");
    const std::vector<std::filesystem::path> kept = {
        aged(dir.write("p.plist.tmp-", "")),
        aged(dir.write("p.plist.tmp-12a", "")),
        aged(dir.write("p.plist.tmp-123456789012345678901", "")),
        aged(dir.write("q.plist.tmp-1", "")),
        aged(dir.write("p.plist.damaged", "")),
        aged(dir.write("xp.plist.tmp-1", "")),
        aged(dir.write("sub/p.plist.tmp-1", "")),
        dir.write("p.plist.tmp-99", ""),  // may be a write under way, of this run or another
        aged(dir.write("p.plist.tmp-98", ""), std::chrono::minutes(5)),
        dir / "p.plist.tmp-7",
        dir / "p.plist.tmp-8",
    };
    UserDefaults defaults(dir / "p.plist");
    for (const auto& path : stale) EXPECT_FALSE(std::filesystem::exists(path)) << path;
    for (const auto& path : kept)
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(path))) << path;

    // A file reached through a link is written beside the file the link names: the
    // temporaries of a stopped write are there.
    const auto besideTarget = aged(dir.write("elsewhere/target.plist.tmp-5", ""));
    std::filesystem::create_symlink("elsewhere/target.plist", dir / "linked.plist");
    UserDefaults linked(dir / "linked.plist");
    EXPECT_FALSE(std::filesystem::exists(besideTarget));

    // A name too long to be kept whole in its temporaries' names has them under its stem
    // (and, by an earlier version, under the name with a short number): they go, and not
    // those of another long name that begins alike.
    const std::string longName = std::string(234, 'n') + ".plist";
    const auto temporaryOf = [&](const std::string& name) {
        return aged(dir.write(platform::temporaryPathFor(dir / name).filename().native(), ""));
    };
    const std::vector<std::filesystem::path> ofTheLongName = {temporaryOf(longName),
                                                              aged(dir.write(longName + ".tmp-1", ""))};
    const auto ofAnother = temporaryOf(std::string(233, 'n') + "m.plist");
    UserDefaults longNamed(dir / longName);
    for (const auto& path : ofTheLongName) EXPECT_FALSE(std::filesystem::exists(path)) << path;
    EXPECT_TRUE(std::filesystem::exists(ofAnother));
}

// The defaults know the file they put in place for their own: the changes after it are
// written without reading it again, whatever kind of file it is reached as.
TEST(UserDefaultsTest, ItsOwnWriteIsNotReadAgainAsAnotherWritersFile) {
    static int reads = 0;
    const auto countReads = [](std::string_view step) { reads += step == "defaults: reading" ? 1 : 0; };
    for (const bool linked : {false, true}) {
        SCOPED_TRACE(linked ? "through a link" : "the file itself");
        testsupport::TempDir dir;
        const auto file = dir / "p.plist";
        if (linked) std::filesystem::create_symlink("elsewhere.plist", file);
        UserDefaults defaults(file, std::nullopt, dir / "locks");
        EXPECT_TRUE(defaults.set("first", Value("1")));
        reads = 0;
        platform::setFileStepObserver(countReads);
        for (int i = 0; i < 5; ++i) EXPECT_TRUE(defaults.set("next", Value(Number::fromInt(i))));
        platform::setFileStepObserver(nullptr);
        EXPECT_EQ(reads, 0);
        EXPECT_EQ(UserDefaults(file).object("next"), Value(Number::fromInt(4)));
    }
}

// A lock file that cannot be had at all (a folder at its name), or that is no regular file
// of one link owned by this user (a link at its name to a file of the host's, a FIFO), is
// had by no writer and never written into: the writers take turns by the next name beside
// it, logged once, and whatever the name leads to keeps its bytes. With no lock file to be
// had at any of those names, the changes are written without taking turns, logged once.
TEST(UserDefaultsTest, ALockFileThatCannotBeOpenedLeavesTheWritesToBeMade) {
    namespace fs = std::filesystem;
    struct Row {
        const char* name;
        std::function<void(const fs::path& lock, const fs::path& hosts)> make;
        const char* logged;
    };
    const auto folders = [](const fs::path& lock, const fs::path&) {
        fs::create_directory(lock);
        for (int i = 1; i <= platform::FileLock::alternates; ++i)
            fs::create_directory(platform::FileLock::alternateOf(lock, i));
    };
    const std::vector<Row> rows = {
        {"a folder", [](const fs::path& lock, const fs::path&) { fs::create_directory(lock); }, " could not be opened; "},
        {"a folder at its name and at each beside it", folders, " could not be opened; "},
        {"a hard link to a file of the host's", [](const fs::path& lock, const fs::path& hosts) { fs::create_hard_link(hosts, lock); },
         " is no regular file of one link owned by this user, and is not used; "},
        {"a symbolic link to a file of the host's",
         [](const fs::path& lock, const fs::path& hosts) { fs::create_symlink(hosts, lock); },
         " is no regular file of one link owned by this user, and is not used; "},
        {"a FIFO", [](const fs::path& lock, const fs::path&) { ASSERT_EQ(::mkfifo(lock.c_str(), 0600), 0); },
         " is no regular file of one link owned by this user, and is not used; "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testsupport::TempDir dir;
        const std::string hostBytes = plisttest::xmlPlist("<dict><key>host</key><string>the host's own</string></dict>");
        const fs::path hosts = dir.write("host/preferences.plist", hostBytes);
        const fs::path file = dir / "p.plist";
        const fs::path lock = platform::WritersTurns::lockOf(dir / "locks", file);
        fs::create_directories(lock.parent_path());
        row.make(lock, hosts);
        platform::LogCapture log;
        UserDefaults defaults(file, std::nullopt, dir / "locks");
        for (const char* key : {"a", "b", "c"}) EXPECT_TRUE(defaults.set(key, Value(key)));
        const bool noLock = std::string_view(row.name).ends_with("beside it");
        EXPECT_EQ(log.lines(), std::vector<std::string>{
                                   "UserDefaults :: " + lock.string() + row.logged + file.string() +
                                   (noLock ? " is written without taking turns"
                                           : "'s writers take turns by " + lock.string() + ".1 instead")});
        EXPECT_EQ(std::tuple(UserDefaults(file).string("c"), platform::readFile(hosts, 1u << 20)),
                  std::tuple("c", hostBytes));
    }
}
