#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/foundation/hostile_property_lists.hpp"
#include "support/set_aside_copies.hpp"
#include "stopped_runs.hpp"
#include "support/kit_processes.hpp"
#include "support/step_count.hpp"
#include "support/temp_dir.hpp"
#include "vistrel/core/kit_defaults.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/core/vistrel_pref.hpp"
#include "vistrel/platform/foundation/directories.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/foundation/user_defaults.hpp"
#include "vistrel/platform/foundation/writers_turns.hpp"

using platform::UserDefaults;
using platform::Value;
using testsupport::KitProcesses;
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

// The child of the tests of kit processes (KitProcesses).
TEST(KitPreferencesTest, DISABLED_SetAsOneOfSeveralProcesses) { testsupport::setKeysAsAKitProcess(); }

namespace {
constexpr const char* kChild = "KitPreferencesTest.DISABLED_SetAsOneOfSeveralProcesses";
}  // namespace

// Two kit processes set a preference each at the same moment: the first has written its
// file whole and is held before putting it in place until the second has put its own
// there. Both preferences are kept.
TEST(KitPreferencesTest, TwoProcessesSettingAPreferenceEachAtOnceKeepBoth) {
    testsupport::TempDir dir;
    KitProcesses processes(dir, kChild);
    testsupport::ProcessSignal held, goOn;
    processes.startNow("apiKey", 1, {"write: flushed", held.writeEnd, goOn.readEnd});
    EXPECT_TRUE(testsupport::ProcessSignal::waitFor(held.readEnd)) << "the first never wrote its file";
    processes.startNow("applicationInstanceId", 1);
    processes.expectEnded("applicationInstanceId");
    testsupport::ProcessSignal::give(goOn.writeEnd);
    processes.expectEnded("apiKey");

    testsupport::ScopedEnv home("VISTREL_HOME", processes.data.c_str());
    vistrel::reopenKitDefaults();
    EXPECT_EQ(std::tuple(VistrelPref::getApiKey(), VistrelPref::getApplicationInstanceId()),
              std::tuple("set by apiKey", "set by applicationInstanceId"));
    vistrel::reopenKitDefaults();
}

namespace {

// Three kit processes, told to go at the same instant, set `keys` keys each.
void threeProcessesSetKeys(KitProcesses& processes, int keys) {
    const std::vector<std::string> names = {"first", "second", "third"};
    for (const std::string& name : names) processes.start(name, keys);
    for (std::size_t i = 0; i < names.size(); ++i)
        ASSERT_TRUE(testsupport::ProcessSignal::waitFor(processes.ready.readEnd));
    for (std::size_t i = 0; i < names.size(); ++i) testsupport::ProcessSignal::give(processes.go.writeEnd);
}

}  // namespace

// Three kit processes set 100 keys each, all at once: every key is in the file after, and
// the lock files they took turns by hold no byte.
TEST(KitPreferencesTest, ThreeProcessesSettingKeysAtOnceKeepEveryKey) {
    testsupport::TempDir dir;
    KitProcesses processes(dir, kChild);
    constexpr int kKeys = 100;
    threeProcessesSetKeys(processes, kKeys);
    const std::vector<std::string> names = {"first", "second", "third"};
    for (const std::string& name : names) processes.expectEnded(name);

    const UserDefaults written(processes.kitFile());
    std::size_t kept = 0;
    for (const std::string& name : names)
        for (const std::string& key : testsupport::keysOf(name, kKeys)) kept += written.string(key) == "set by " + key ? 1 : 0;
    EXPECT_EQ(kept, names.size() * kKeys);
    // Every lock file there, and its size: the lock of the kit's file, and the one writers
    // ask for the next turn by, once one did.
    const std::string lock = platform::WritersTurns::lockOf(processes.data, processes.kitFile()).filename().string();
    const std::string priority = platform::WritersTurns::priorityOf(lock).string();
    std::map<std::string, std::uintmax_t> locks{{priority, 0}};
    for (const auto& entry : std::filesystem::directory_iterator(processes.data))
        if (entry.path().filename().native().find(".lock") != std::string::npos)
            locks[entry.path().filename().string()] = entry.file_size();
    EXPECT_EQ(locks, (std::map<std::string, std::uintmax_t>{{lock, 0}, {priority, 0}}));
}

// A hard link at the name of the lock of the kit's file, to a file of the host's: the kit's
// processes never use it, and the host's file keeps its bytes. They take turns by the next
// name beside it instead, each saying so once, and keep every key.
TEST(KitPreferencesTest, AHardLinkAtTheLocksNameIsNotUsed) {
    testsupport::TempDir dir;
    KitProcesses processes(dir, kChild);
    std::filesystem::create_directories(processes.data);
    const std::string hostBytes = plisttest::xmlPlist("<dict><key>host</key><string>the host's own</string></dict>");
    const auto hostFile = dir.write("host/preferences.plist", hostBytes);
    const auto lock = platform::WritersTurns::lockOf(processes.data, processes.kitFile());
    std::filesystem::create_hard_link(hostFile, lock);
    threeProcessesSetKeys(processes, 30);
    for (const std::string name : {"first", "second", "third"}) {
        const int status = testsupport::waitForChild(std::exchange(processes.running[name], -1));
        const std::string output = processes.output(name);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << name << ", status " << status << ":\n" << output;
        EXPECT_EQ(std::tuple(processes.said(name, "writers take turns by " + lock.string() + ".1 instead"),
                             processes.said(name, lock.string() + " is no regular file of one link owned by this user")),
                  std::tuple(1u, 1u))
            << name << ":\n" << output;
    }
    EXPECT_EQ(platform::readFile(hostFile, 1u << 20), hostBytes);
    const UserDefaults written(processes.kitFile());
    std::size_t kept = 0;
    for (const std::string name : {"first", "second", "third"})
        for (const std::string& key : testsupport::keysOf(name, 30)) kept += written.string(key) == "set by " + key ? 1 : 0;
    EXPECT_EQ(kept, 90u);
}

// A kit process stopped dead (SIGSTOP) in its turn at writing the kit's file, that file
// just put in place: another waits a bounded time for the turn, then fails its write as a
// failed write does, logged, keeping the change for the next write. Writers of other files
// (the host's standard defaults, another file in the kit's folder) never wait for it: they
// write at once. Once the stopped process dies, its turn is over and the lock file it
// leaves holds no one.
TEST(KitPreferencesTest, AProcessStoppedInItsTurnHoldsNoOneForever) {
    testsupport::TempDir dir;
    KitProcesses processes(dir, kChild);
    processes.startStoppedHolder("holder");

    testsupport::ScopedEnv home("VISTREL_HOME", processes.data.c_str());
    const auto hostFile = dir / "preferences.plist";
    vistrel::reopenKitDefaults();
    UserDefaults::resetStandard(hostFile);
    UserDefaults another(processes.data / "another.plist", vistrel::kitDefaultsBounds, processes.data);
    platform::LogCapture log;
    int waitsForOthers = 0;
    {
        const testsupport::StepCount waits("lock: waiting for another holder");
        EXPECT_EQ(std::tuple(UserDefaults::standard()->set("host", Value("the host's")),
                             another.set("another", Value("at once"))),
                  std::tuple(true, true));
        waitsForOthers = waits.count();
    }
    EXPECT_EQ(std::tuple(waitsForOthers, UserDefaults(hostFile).string("host"),
                         UserDefaults(processes.data / "another.plist").string("another")),
              std::tuple(0, "the host's", "at once"));
    EXPECT_FALSE(vistrel::kitDefaults()->set("apiKey", Value("mine")));
    EXPECT_EQ(log.count("its turn at writing was not had"), 1u);
    EXPECT_EQ(VistrelPref::getApiKey(), "mine");

    const int status = processes.stop("holder");
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    EXPECT_TRUE(vistrel::kitDefaults()->set("applicationInstanceId", Value("later")));
    EXPECT_TRUE(UserDefaults::standard()->set("later", Value("the host's too")));
    vistrel::reopenKitDefaults();
    UserDefaults::resetStandard(hostFile);
    EXPECT_EQ(std::tuple(vistrel::kitDefaults()->string("holder"), VistrelPref::getApiKey(),
                         VistrelPref::getApplicationInstanceId(), UserDefaults::standard()->string("host"),
                         UserDefaults::standard()->string("later")),
              std::tuple("set by holder", "mine", "later", "the host's", "the host's too"));
    vistrel::reopenKitDefaults();
    UserDefaults::resetStandard();
}

// A kit process sets a key behind another stopped dead in its turn: the set fails, and the
// change is kept. The process then ends normally (its test returns, and so does main):
// once the holder is gone, the change is written as it ends; with the holder still there,
// it ends all the same, after one more bounded wait, the change unwritten.
TEST(KitPreferencesTest, ChangesKeptBehindAStoppedHolderAreWrittenAtANormalExit) {
    for (const bool holderGone : {true, false}) {
        SCOPED_TRACE(holderGone ? "the holder gone before the exit" : "the holder still stopped at the exit");
        testsupport::TempDir dir;
        KitProcesses processes(dir, kChild);
        processes.startStoppedHolder("holder");
        testsupport::ProcessSignal done, end;
        processes.startNow("setter", 1, {}, done.writeEnd, end.readEnd);
        ASSERT_TRUE(testsupport::ProcessSignal::waitFor(done.readEnd)) << processes.output("setter");
        EXPECT_EQ(UserDefaults(processes.kitFile()).string("setter"), std::nullopt);
        if (holderGone) processes.stop("holder");
        testsupport::ProcessSignal::give(end.writeEnd);
        processes.expectEnded("setter", 1);
        EXPECT_EQ(std::tuple(UserDefaults(processes.kitFile()).string("setter"),
                             processes.said("setter", "its turn at writing was not had")),
                  std::tuple(holderGone ? std::optional<std::string>("set by setter") : std::nullopt,
                             holderGone ? 1u : 2u))
            << processes.output("setter");
    }
}
