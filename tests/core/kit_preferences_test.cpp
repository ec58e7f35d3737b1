#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "platform/foundation/hostile_property_lists.hpp"
#include "support/set_aside_copies.hpp"
#include "support/temp_dir.hpp"
#include "vistrel/core/kit_defaults.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/core/vistrel_pref.hpp"
#include "vistrel/platform/foundation/directories.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/foundation/user_defaults.hpp"

using platform::UserDefaults;
using platform::Value;
using vistrel::VistrelPref;

// A host that chose its own data folder keeps it, and its preferences: the kit writes
// its own in its own folder, and neither sees the other's keys.
TEST(KitPreferencesTest, AHostsOwnFolderAndPreferencesStayApartFromTheKits) {
    testsupport::TempDir host;
    testsupport::TempDir kit;
    testsupport::ScopedEnv home("VISTREL_HOME", kit.path().c_str());
    platform::setApplicationDataDirectory(host.path());
    UserDefaults::resetStandard();
    UserDefaults::standard()->set("apiKey", Value("the host's own"));

    VistrelPref::setApiKey("kit-key");
    VistrelPref::setHasBeenMigrated(true);

    EXPECT_EQ(platform::applicationDataDirectory(), host.path());
    EXPECT_EQ(UserDefaults::standard()->object("hasBeenMigrated"), std::nullopt);
    EXPECT_EQ(std::tuple(UserDefaults::standard()->string("apiKey"), VistrelPref::getApiKey(),
                         UserDefaults(host / "preferences.plist").string("apiKey"),
                         UserDefaults(kit / "io.vistrel.sdk.plist").string("apiKey")),
              std::tuple("the host's own", "kit-key", "the host's own", "kit-key"));

    platform::setApplicationDataDirectory(std::nullopt);
    UserDefaults::resetStandard();
}

// A host whose data folder is the kit's (one named like the kit, or VISTREL_HOME set to
// its own folder): each side keeps its own file, and neither overwrites the other.
TEST(KitPreferencesTest, AHostInTheKitsFolderKeepsItsOwnFile) {
    testsupport::TempDir shared;
    testsupport::ScopedEnv home("VISTREL_HOME", shared.path().c_str());
    platform::setApplicationDataDirectory(shared.path());
    UserDefaults::resetStandard();
    vistrel::reopenKitDefaults();

    UserDefaults::standard()->set("apiKey", Value("the host's own"));
    VistrelPref::setApiKey("kit-key");
    VistrelPref::setApplicationInstanceId("kit-instance");
    UserDefaults::standard()->setBool("hasBeenMigrated", false);

    // A new launch reads both files again.
    UserDefaults::resetStandard();
    vistrel::reopenKitDefaults();
    EXPECT_EQ(std::tuple(UserDefaults::standard()->string("apiKey"), VistrelPref::getApiKey(),
                         VistrelPref::getApplicationInstanceId()),
              std::tuple("the host's own", "kit-key", "kit-instance"));

    platform::setApplicationDataDirectory(std::nullopt);
    UserDefaults::resetStandard();
}

// The kit's preferences of an earlier version, under the old name, are read once into
// the kit's own file; the old file stays as it was for whoever else reads it.
TEST(KitPreferencesTest, AnEarlierFileIsTakenOverOnce) {
    testsupport::TempDir kit;
    testsupport::ScopedEnv home("VISTREL_HOME", kit.path().c_str());
    {
        UserDefaults earlier(kit / "preferences.plist");
        earlier.set("apiKey", Value("stored-key"));
        earlier.set("applicationInstanceId", Value("stored-instance"));
        earlier.setBool("hasBeenMigrated", true);
    }
    vistrel::reopenKitDefaults();
    EXPECT_EQ(std::tuple(VistrelPref::getApiKey(), VistrelPref::getApplicationInstanceId(),
                         VistrelPref::hasBeenMigrated()),
              std::tuple("stored-key", "stored-instance", true));

    // Later changes go to the kit's file only, and the old file is not read again.
    VistrelPref::setApiKey("new-key");
    UserDefaults(kit / "preferences.plist").set("apiKey", Value("someone else's"));
    vistrel::reopenKitDefaults();
    EXPECT_EQ(std::tuple(VistrelPref::getApiKey(), UserDefaults(kit / "preferences.plist").string("apiKey")),
              std::tuple("new-key", "someone else's"));
    vistrel::reopenKitDefaults();
}

// An earlier file past the defaults' bound, or one that is not a regular file, is not
// taken over: the kit starts empty with a log line, and the earlier file stays as it was.
TEST(KitPreferencesTest, AnEarlierFileThatIsRefusedIsNotTakenOver) {
    const std::string sound = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>apiKey</key><string>stored-key</string></dict></plist>)";
    struct Row {
        const char* name;
        std::function<void(const std::filesystem::path&)> make;
        const char* logged;
    };
    const std::vector<Row> rows = {
        {"past 1 MB", [&](const std::filesystem::path& f) {
             std::ofstream(f) << sound << std::string(vistrel::kitDefaultsBounds.maxFileBytes, ' ');
         }, "too large"},
        {"a FIFO", [](const std::filesystem::path& f) { ASSERT_EQ(::mkfifo(f.c_str(), 0600), 0); },
         "not a regular file"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testsupport::TempDir kit;
        testsupport::ScopedEnv home("VISTREL_HOME", kit.path().c_str());
        const auto earlier = kit / "preferences.plist";
        row.make(earlier);
        const auto status = std::filesystem::status(earlier);
        platform::LogCapture log;
        vistrel::reopenKitDefaults();
        EXPECT_EQ(VistrelPref::getApiKey(), std::nullopt);
        EXPECT_TRUE(log.contains(earlier.string() + " is " + row.logged + ", not taken over"));
        EXPECT_EQ(std::tuple(std::filesystem::exists(kit / "io.vistrel.sdk.plist"),
                             testsupport::setAsideCopies(kit.path(), "io.vistrel.sdk.plist").size(),
                             std::filesystem::status(earlier).type()),
                  std::tuple(false, std::size_t{0}, status.type()));
    }
    vistrel::reopenKitDefaults();
}

// The kit's own file holding a value shared among a million references (a list of 40,000
// references to one list of 25 references to one 257-byte text, 80 KB): the first change
// writes it at about its size, and the next start reads it, the kit's values with it.
TEST(KitPreferencesTest, ItsOwnFileOfSharedValuesKeepsItsSizeAndItsValues) {
    using plisttest::ref;
    testsupport::TempDir kit;
    testsupport::ScopedEnv home("VISTREL_HOME", kit.path().c_str());
    std::string top = "\xD4", history = "\xAF\x11\x9C\x40", inner = "\xAF\x10\x19";
    for (int i = 1; i <= 8; ++i) top += ref(i);
    for (int i = 0; i < 40'000; ++i) history += ref(9);
    for (int i = 0; i < 25; ++i) inner += ref(10);
    const auto file = kit.write("io.vistrel.sdk.plist",
                                plisttest::binaryPlist({top, "\x56" "apiKey", "\x5F\x10\x15" "applicationInstanceId",
                                                        "\x5F\x10\x10" "useBlackAndWhite", "\x57" "history",
                                                        "\x58" "some-key", "\x5D" "some-instance", "\x09", history, inner,
                                                        std::string("\x5F\x11\x01\x01").append(257, 't')}));
    vistrel::reopenKitDefaults();
    VistrelPref::setUseBlackAndWhite(false);
    EXPECT_LT(std::filesystem::file_size(file), 100'000u);
    vistrel::reopenKitDefaults();
    EXPECT_EQ(std::tuple(VistrelPref::getApiKey(), VistrelPref::getApplicationInstanceId(), VistrelPref::useBlackAndWhite(),
                         testsupport::setAsideCopies(kit.path(), "io.vistrel.sdk.plist").size()),
              std::tuple("some-key", "some-instance", false, std::size_t{0}));
    vistrel::reopenKitDefaults();
}

namespace {

// Another process of the host, started at the same moment, that has taken the earlier
// file over and set its key just before this one's copy of the earlier file is put in
// place.
std::filesystem::path gKitFile;
void anotherProcessWritesFirst(std::string_view step) {
    static bool writing = false;
    if (step != "write: flushed" || writing || std::filesystem::exists(gKitFile)) return;
    writing = true;
    UserDefaults(gKitFile).set("apiKey", Value("the other's"));
    writing = false;
}

}  // namespace

// Two processes of a host start at once and both find no file of the kit's: the one that
// copies the earlier file second never replaces what the first wrote meanwhile.
TEST(KitPreferencesTest, TakingAnEarlierFileOverNeverReplacesTheKitsFile) {
    testsupport::TempDir kit;
    testsupport::ScopedEnv home("VISTREL_HOME", kit.path().c_str());
    UserDefaults(kit / "preferences.plist").set("apiKey", Value("stored-key"));
    gKitFile = kit / (std::string(vistrel::kBundleIdentifier) + ".plist");
    vistrel::reopenKitDefaults();
    platform::setFileStepObserver(&anotherProcessWritesFirst);
    const std::optional<std::string> key = VistrelPref::getApiKey();
    platform::setFileStepObserver(nullptr);
    EXPECT_EQ(std::tuple(key, UserDefaults(gKitFile).string("apiKey")),
              std::tuple("the other's", "the other's"));
    vistrel::reopenKitDefaults();
}
