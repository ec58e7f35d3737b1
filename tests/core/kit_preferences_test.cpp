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

namespace {

// A kit process of a host sharing the data folder: the parent's data folder is its
// VISTREL_HOME, and kChildVariable says the rest: "<name> <keys> <ready> <go> <signal>
// <wait> <meet at>", pipe ends by number (-1: none), then the step to meet the parent at
// ("-": none).
constexpr const char* kChildVariable = "VISTREL_PREFERENCES_PROCESS";
constexpr const char* kResultVariable = "VISTREL_PREFERENCES_RESULT";

// The keys a process sets: its name alone, or "<name>-<number>" for each of many.
std::vector<std::string> keysOf(const std::string& name, int keys) {
    if (keys == 1) return {name};
    std::vector<std::string> named;
    for (int i = 0; i < keys; ++i) named.push_back(name + "-" + std::to_string(i));
    return named;
}

}  // namespace

// The child: opens the kit's preferences, tells it is ready, waits for the word to go and
// sets its keys, meeting its parent at the step named; writes how many sets failed.
TEST(KitPreferencesTest, DISABLED_SetAsOneOfSeveralProcesses) {
    const char* child = std::getenv(kChildVariable);
    const char* result = std::getenv(kResultVariable);
    if (!child || !result) GTEST_SKIP() << "run by the tests of processes sharing the preferences";
    char name[64], meetAt[64];
    int keys = 0, ready = -1, go = -1, signalFd = -1, waitFd = -1;
    ASSERT_EQ(std::sscanf(child, "%63s %d %d %d %d %d %63[^\n]", name, &keys, &ready, &go, &signalFd, &waitFd, meetAt), 7);
    const auto defaults = vistrel::kitDefaults();
    testsupport::ProcessSignal::give(ready);
    ASSERT_TRUE(testsupport::ProcessSignal::waitFor(go));
    if (std::string_view(meetAt) != "-") {
        testsupport::StepActions actions;
        actions.meetAt = meetAt;
        actions.signalFd = signalFd;
        actions.waitFd = waitFd;
        testsupport::actAtSteps(actions);
    }
    int failed = 0;
    for (const std::string& key : keysOf(name, keys)) failed += defaults->set(key, Value("set by " + key)) ? 0 : 1;
    testsupport::stopActingAtSteps();
    std::ofstream(result) << failed;
}

namespace {

// Kit processes of one host in the folder of a test, its "data" their data folder. Those
// still running when the test ends (it failed early) are stopped before the folder goes.
struct KitProcesses {
    explicit KitProcesses(const testsupport::TempDir& folder) : dir(folder) {}
    KitProcesses(const KitProcesses&) = delete;
    KitProcesses& operator=(const KitProcesses&) = delete;
    ~KitProcesses() {
        for (auto& [name, pid] : running) stop(name);
    }
    const testsupport::TempDir& dir;
    std::filesystem::path data = dir / "data";
    testsupport::ProcessSignal ready, go;
    std::map<std::string, pid_t> running;

    pid_t start(const std::string& name, int keys, std::string meetAt = "-", int signalFd = -1, int waitFd = -1) {
        const std::string child = name + " " + std::to_string(keys) + " " + std::to_string(ready.writeEnd) + " " +
                                  std::to_string(go.readEnd) + " " + std::to_string(signalFd) + " " +
                                  std::to_string(waitFd) + " " + meetAt;
        return running[name] = testsupport::startThisProgram(
                   {"--gtest_also_run_disabled_tests", "--gtest_filter=KitPreferencesTest.DISABLED_SetAsOneOfSeveralProcesses"},
                   {"VISTREL_HOME=" + data.string(), std::string(kChildVariable) + "=" + child,
                    std::string(kResultVariable) + "=" + (dir / (name + "-result")).string()},
                   dir / (name + "-output"), true);
    }
    // Waits for a child to end, which must have set every key it was given.
    void expectEnded(const std::string& name) {
        const int status = testsupport::waitForChild(std::exchange(running[name], -1));
        const std::string output = platform::readFile(dir / (name + "-output"), 1u << 20).value_or("");
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << name << ", status " << status << ":\n" << output;
        EXPECT_EQ(platform::readFile(dir / (name + "-result"), 64), "0") << name << ", sets that returned false:\n"
                                                                          << output;
    }
    // Stops a child dead (SIGKILL): its wait status.
    int stop(const std::string& name) {
        const pid_t pid = std::exchange(running[name], -1);
        if (pid > 0) ::kill(pid, SIGKILL);
        return testsupport::waitForChild(pid);
    }
};

}  // namespace

// Two kit processes set a preference each at the same moment: the first has written its
// file whole and is held before putting it in place until the second has put its own
// there. Both preferences are kept.
TEST(KitPreferencesTest, TwoProcessesSettingAPreferenceEachAtOnceKeepBoth) {
    testsupport::TempDir dir;
    KitProcesses processes(dir);
    testsupport::ProcessSignal held, goOn;
    processes.start("apiKey", 1, "write: flushed", held.writeEnd, goOn.readEnd);
    ASSERT_TRUE(testsupport::ProcessSignal::waitFor(processes.ready.readEnd));
    testsupport::ProcessSignal::give(processes.go.writeEnd);
    EXPECT_TRUE(testsupport::ProcessSignal::waitFor(held.readEnd)) << "the first never wrote its file";
    processes.start("applicationInstanceId", 1);
    ASSERT_TRUE(testsupport::ProcessSignal::waitFor(processes.ready.readEnd));
    testsupport::ProcessSignal::give(processes.go.writeEnd);
    processes.expectEnded("applicationInstanceId");
    testsupport::ProcessSignal::give(goOn.writeEnd);
    processes.expectEnded("apiKey");

    testsupport::ScopedEnv home("VISTREL_HOME", processes.data.c_str());
    vistrel::reopenKitDefaults();
    EXPECT_EQ(std::tuple(VistrelPref::getApiKey(), VistrelPref::getApplicationInstanceId()),
              std::tuple("set by apiKey", "set by applicationInstanceId"));
    vistrel::reopenKitDefaults();
}

// Three kit processes set 100 keys each, all at once: every key is in the file after.
TEST(KitPreferencesTest, ThreeProcessesSettingKeysAtOnceKeepEveryKey) {
    testsupport::TempDir dir;
    KitProcesses processes(dir);
    const std::vector<std::string> names = {"first", "second", "third"};
    constexpr int kKeys = 100;
    for (const std::string& name : names) processes.start(name, kKeys);
    for (std::size_t i = 0; i < names.size(); ++i)
        ASSERT_TRUE(testsupport::ProcessSignal::waitFor(processes.ready.readEnd));
    for (std::size_t i = 0; i < names.size(); ++i) testsupport::ProcessSignal::give(processes.go.writeEnd);
    for (const std::string& name : names) processes.expectEnded(name);

    const UserDefaults written(processes.data / (std::string(vistrel::kBundleIdentifier) + ".plist"));
    std::size_t kept = 0;
    for (const std::string& name : names)
        for (const std::string& key : keysOf(name, kKeys)) kept += written.string(key) == "set by " + key ? 1 : 0;
    EXPECT_EQ(kept, names.size() * kKeys);
}

// A kit process stopped dead (SIGSTOP) in its turn at writing, its file just put in place:
// another waits a bounded time for the turn, then fails its write as a failed write does,
// for the kit's file and for the host's standard defaults alike, logged, keeping the
// change for the next write. Once the stopped process dies, its turn is over and the lock
// file it leaves holds no one.
TEST(KitPreferencesTest, AProcessStoppedInItsTurnHoldsNoOneForever) {
    testsupport::TempDir dir;
    KitProcesses processes(dir);
    testsupport::ProcessSignal held, never;
    const pid_t holder = processes.start("holder", 1, "write: renamed", held.writeEnd, never.readEnd);
    ASSERT_GT(holder, 0);
    ASSERT_TRUE(testsupport::ProcessSignal::waitFor(processes.ready.readEnd));
    testsupport::ProcessSignal::give(processes.go.writeEnd);
    ASSERT_TRUE(testsupport::ProcessSignal::waitFor(held.readEnd)) << "the holder never wrote";
    ASSERT_EQ(::kill(holder, SIGSTOP), 0);

    testsupport::ScopedEnv home("VISTREL_HOME", processes.data.c_str());
    const auto hostFile = dir / "preferences.plist";
    vistrel::reopenKitDefaults();
    UserDefaults::resetStandard(hostFile);
    platform::LogCapture log;
    EXPECT_EQ(std::tuple(vistrel::kitDefaults()->set("apiKey", Value("mine")),
                         UserDefaults::standard()->set("host", Value("the host's"))),
              std::tuple(false, false));
    EXPECT_EQ(log.count("its turn at writing was not had"), 2u);
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
