#include <sys/stat.h>

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/foundation/file_io.hpp"
#include "platform/foundation/user_defaults.hpp"
#include "support/temp_dir.hpp"

using platform::Number;
using platform::UserDefaults;
using platform::Value;

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
    EXPECT_EQ(reopened.string("key"), "secret");
    EXPECT_TRUE(reopened.boolValue("flag"));
    EXPECT_TRUE(reopened.object("flag")->number()->isBool());
    // A number stored under a key does not read as text.
    EXPECT_EQ(reopened.string("number"), std::nullopt);
    EXPECT_EQ(reopened.object("number")->number()->intValue(), 12);
    EXPECT_FALSE(reopened.boolValue("missing"));
    EXPECT_TRUE(reopened.remove("key"));
    EXPECT_EQ(UserDefaults(file).string("key"), std::nullopt);
}

// Data and dates in a defaults file (written by another program, or in binary form)
// are kept as they were when another key is saved.
TEST(UserDefaultsTest, SavingKeepsDataAndDatesOfTheFile) {
    for (const char* name : {"sample.xml.plist", "sample.bplist"}) {
        SCOPED_TRACE(name);
        testsupport::TempDir dir;
        auto file = dir / "preferences.plist";
        std::filesystem::copy_file(std::string(VISTREL_TEST_DATA) + "/plist/" + name, file);
        UserDefaults before(file);
        auto blob = before.object("Blob");
        auto when = before.object("When");
        EXPECT_TRUE(before.set("apiKey", Value("k")));
        UserDefaults after(file);
        EXPECT_EQ(after.object("Blob"), blob);
        EXPECT_EQ(after.object("When"), when);
        EXPECT_EQ(after.string("apiKey"), "k");
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
    defaults.set("yes", Value("YES"));
    defaults.set("no", Value("nope"));
    defaults.set("two", Value(Number::fromInt(2)));
    defaults.set("zero", Value(Number::fromDouble(0.0)));
    EXPECT_TRUE(defaults.boolValue("yes"));
    EXPECT_FALSE(defaults.boolValue("no"));
    EXPECT_TRUE(defaults.boolValue("two"));
    EXPECT_FALSE(defaults.boolValue("zero"));
}

TEST(UserDefaultsTest, UnreadableFileStartsEmptyAndIsReplacedOnWrite) {
    testsupport::TempDir dir;
    auto file = dir.write("p.plist", "garbage");
    UserDefaults defaults(file);
    EXPECT_EQ(defaults.object("anything"), std::nullopt);
    EXPECT_TRUE(defaults.set("a", Value("b")));
    EXPECT_EQ(UserDefaults(file).string("a"), "b");
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
    for (int i = 1; i <= 100; ++i) defaults.set("apiKey", Value("key-" + std::to_string(i)));
    done = true;
    for (auto& t : readers) t.join();
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(UserDefaults(dir / "p.plist").string("apiKey"), "key-100");
}

TEST(UserDefaultsTest, StandardDefaultsCanBeReopened) {
    testsupport::TempDir dir;
    UserDefaults::resetStandard(dir / "std.plist");
    UserDefaults::standard()->set("k", Value("v"));
    UserDefaults::resetStandard(dir / "std.plist");
    EXPECT_EQ(UserDefaults::standard()->string("k"), "v");
    EXPECT_EQ(UserDefaults::standard()->filePath(), dir / "std.plist");
    UserDefaults::resetStandard();
}
