// Each app's own data folder under the kit's shared one, and what earlier versions left in
// the shared folder taken over once. The apps are this very test program started again
// under other names (a program's name is the first argument it is started with), with
// XDG_DATA_HOME in the test's own folder and no VISTREL_HOME.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "link_limit.hpp"
#include "noisy_picture.hpp"
#include "stopped_runs.hpp"
#include "support/stepped_processes.hpp"
#include "support/temp_dir.hpp"
#include "vistrel/core/data_directory.hpp"
#include "vistrel/core/kit_defaults.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/core/vistrel_pref.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/property_list.hpp"
#include "vistrel/platform/foundation/user_defaults.hpp"
#include "vistrel/platform/graphics/picture_ends.hpp"
#include "vistrel/platform/services/contact_store.hpp"
#include "vistrel/store/core_data_layer.hpp"
#include "vistrel/store/persistance_controller.hpp"

namespace {

namespace fs = std::filesystem;
using vistrel::VistrelPref;

// What a child does, as these variables say.
constexpr const char* kResultVariable = "VISTREL_APP_RESULT";  // where it writes its folder, key and history
constexpr const char* kKeyVariable = "VISTREL_APP_KEY";        // the API key it sets (else another preference)
constexpr const char* kRecordVariable = "VISTREL_APP_RECORD";  // the identifier of a scan it records
constexpr const char* kStartVariable = "VISTREL_APP_START";    // "<ready> <go>": signals, then waits, to start
// "<tell> <go> <stop at>[ <step>]": it only finds its folder, telling each step on a pipe
// end (-1: none) and waiting at each (or at each of the name given) for a word on another
// (-1: none), or stopped dead at a step (0: none).
constexpr const char* kStepsVariable = "VISTREL_APP_STEPS";

constexpr std::string_view kTakenOver = "taken over into ";

}  // namespace

// The child: a host of the kit named as it was started. It sets its key (or, without one,
// another preference), records a scan, and writes its data folder, its key and the
// identifiers of its history, a line each.
TEST(AppDataFolderChild, DISABLED_RunAsAnApp) {
    const char* result = std::getenv(kResultVariable);
    if (!result) GTEST_SKIP() << "run by the tests of the apps' data folders";
    if (const char* start = std::getenv(kStartVariable)) {
        int ready = -1, go = -1;
        ASSERT_EQ(std::sscanf(start, "%d %d", &ready, &go), 2);
        testsupport::ProcessSignal::give(ready);
        ASSERT_TRUE(testsupport::ProcessSignal::waitFor(go));
    }
    if (const char* key = std::getenv(kKeyVariable))
        VistrelPref::setApiKey(key);
    else
        VistrelPref::setUseBlackAndWhite(true);
    auto history = std::make_shared<vistrel::PersistanceController>();
    if (const char* record = std::getenv(kRecordVariable)) {
        ASSERT_TRUE(history->loadOrCreateVistrelImage(std::string("doc-") + record, record, "a page",
                                                      testsupport::noisyPicture(1, 32, 16),
                                                      vistrel::Date(std::chrono::seconds(1'700'000'000))));
    }
    std::string identifiers;
    for (const auto& image : history->retrieveImages().value_or(vistrel::VistrelImages{}))
        identifiers += image->identifier().value_or("?") + " ";
    std::ofstream(result) << vistrel::dataDirectory().string() << '\n'
                          << VistrelPref::getApiKey().value_or("") << '\n'
                          << identifiers << '\n';
    platform::dispatch::RunLoop::runUntilIdle();
}

// The child: finds its data folder, acting at each step as kStepsVariable says, and tells
// "ended" once it has it.
TEST(AppDataFolderChild, DISABLED_FindTheFolderStepByStep) {
    const char* steps = std::getenv(kStepsVariable);
    if (!steps) GTEST_SKIP() << "run by the tests of the takeover's steps";
    testsupport::StepActions actions;
    char meetAt[64] = "";
    ASSERT_GE(std::sscanf(steps, "%d %d %d %63[^\n]", &actions.tellFd, &actions.waitFd, &actions.stopAt, meetAt), 3);
    actions.meetAt = meetAt;
    actions.meetEachTime = true;
    testsupport::actAtSteps(actions);
    vistrel::dataDirectory();
    testsupport::stopActingAtSteps();
    if (actions.tellFd >= 0) {
        ASSERT_EQ(::write(actions.tellFd, "ended\n", 6), 6);
    }
}

namespace {

// The kit's shared folder in the test's own, and apps started over it.
struct SharedFolder {
    testsupport::TempDir dir;
    fs::path xdg = dir / "xdg";
    fs::path shared = xdg / "vistrel";
    fs::path apps = shared / "apps";
    int started = 0;

    // Starts the child test as the app `app` with the variables: its output into a file
    // whose path it gives.
    std::pair<pid_t, fs::path> start(const std::string& app, const char* test, std::vector<std::string> variables) {
        const fs::path output = dir / ("output-" + std::to_string(++started));
        fs::create_directories(dir / "children");
        variables.insert(variables.end(),
                         {"XDG_DATA_HOME=" + xdg.string(), "VISTREL_HOME=", "HOME=" + (dir / "home").string(),
                          "TMPDIR=" + (dir / "children").string(),
                          std::string("VISTREL_BUNDLE_PATH=") + VISTREL_BUILD_BUNDLE});
        const pid_t child = testsupport::startThisProgram(
            {"--gtest_also_run_disabled_tests", std::string("--gtest_filter=AppDataFolderChild.") + test},
            std::move(variables), output, true, app);
        return {child, output};
    }
};

std::string readAll(const fs::path& file) { return platform::readFile(file, 64u << 20).value_or(""); }

// What an app saw, and what it logged.
struct AppSaw {
    std::string folder, key, history, log;
};

// Waits for a child started by runAsAnApp to end, which must end well.
AppSaw finishApp(pid_t child, const fs::path& output, const fs::path& result) {
    const int status = testsupport::waitForChild(child);
    AppSaw saw;
    saw.log = readAll(output);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status << ":\n" << saw.log;
    std::ifstream lines(result);
    std::getline(lines, saw.folder);
    std::getline(lines, saw.key);
    std::getline(lines, saw.history);
    return saw;
}

struct StartedApp {
    pid_t pid;
    fs::path output, result;
};

StartedApp startApp(SharedFolder& folder, const std::string& app, std::vector<std::string> variables) {
    const fs::path result = folder.dir / ("result-" + std::to_string(folder.started + 1));
    variables.push_back(std::string(kResultVariable) + "=" + result.string());
    auto [pid, output] = folder.start(app, "DISABLED_RunAsAnApp", std::move(variables));
    return {pid, output, result};
}

AppSaw runApp(SharedFolder& folder, const std::string& app, std::vector<std::string> variables = {}) {
    const StartedApp started = startApp(folder, app, std::move(variables));
    return finishApp(started.pid, started.output, started.result);
}

std::size_t countOf(std::string_view text, std::string_view what) {
    std::size_t count = 0;
    for (auto at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

// The names directly in a folder.
std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.insert(it->path().filename().string());
    return names;
}

// The files under the entries of `root` named, by their paths under it, with their bytes.
std::map<std::string, std::string> filesUnder(const fs::path& root, const std::set<std::string>& names) {
    std::map<std::string, std::string> files;
    for (const std::string& name : names) {
        if (fs::is_regular_file(fs::symlink_status(root / name))) files[name] = readAll(root / name);
        std::error_code ec;
        if (fs::is_directory(fs::symlink_status(root / name)))
            for (fs::recursive_directory_iterator it(root / name, ec), end; !ec && it != end; it.increment(ec))
                if (it->is_regular_file()) files[fs::relative(it->path(), root).string()] = readAll(it->path());
    }
    return files;
}

// A property list of the entries, as a defaults file holds them.
std::string propertyListOf(std::vector<platform::Dictionary::Entry> entries) {
    return platform::writePropertyListXml(platform::Value(platform::Dictionary(std::move(entries)))).value_or("");
}

// A store file as an earlier version left it: its records' table, of one record, "page".
std::string earlierStoreBytes() {
    testsupport::TempDir dir;
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open((dir / "store.sqlite").c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, "CREATE TABLE VistrelImage (identifier TEXT, title TEXT);"
                               "INSERT INTO VistrelImage VALUES ('page', 'a page')", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    return readAll(dir / "store.sqlite");
}

// An earlier version's store, one record "page", written on by SQL of a run stopped dead
// in it: what its journals hold stays as that run left it.
void stoppedDeadIn(const fs::path& store, const char* sql) {
    fs::create_directories(store.parent_path());
    std::ofstream(store, std::ios::binary) << earlierStoreBytes();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        sqlite3* db = nullptr;
        if (sqlite3_open(store.c_str(), &db) != SQLITE_OK) ::_exit(1);
        ::_exit(sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK ? 0 : 2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// What an earlier version left, written as it left it, and what a user put beside it.
// `logged`: the store's last record, "late-scan", only in its write-ahead log (whose index
// is left out, as backups leave it), with that record's photo.
const std::map<std::string, std::string>& earlierFiles(bool logged = false) {
    static const std::map<std::string, std::string> files = {
        {"io.vistrel.sdk.plist", propertyListOf({{"apiKey", "the kit's key"}})},
        {"preferences.plist", propertyListOf({{"apiKey", "a key of an even earlier version"},
                                              {"applicationInstanceId", "an instance"}})},
        {"VistrelData.sqlite", earlierStoreBytes()},
        {"VistrelData.sqlite-wal", "its journal"},
        {"page.jpg", "a record's photo"},
        {"Events/event.ics", "an event"},
        {"Contacts/contact.vcf", "a contact"},
    };
    static const std::map<std::string, std::string> withItsLog = [] {
        testsupport::TempDir dir;
        stoppedDeadIn(dir / "store.sqlite", "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;"
                                            "INSERT INTO VistrelImage VALUES ('late-scan', 'a late page')");
        std::map<std::string, std::string> all = files;
        all["VistrelData.sqlite"] = readAll(dir / "store.sqlite");
        all["VistrelData.sqlite-wal"] = readAll(dir / "store.sqlite-wal");
        all["late-scan.jpg"] = "the photo of a record only the log holds";
        return all;
    }();
    return logged ? withItsLog : files;
}
const std::set<std::string> kEarlierNames = {"io.vistrel.sdk.plist", "preferences.plist", "VistrelData.sqlite",
                                             "VistrelData.sqlite-wal", "page.jpg", "Events", "Contacts"};
std::set<std::string> earlierNames(bool logged) {
    std::set<std::string> names = kEarlierNames;
    if (logged) names.insert("late-scan.jpg");
    return names;
}
const std::map<std::string, std::string> kUsersFiles = {
    {"notes.txt", "a user's notes"},
    {"page.png", "a user's picture"},
    {"page.jpeg", "another"},
    {"VistrelData.sqlite.copy", "a user's copy of the store"},
    {"sha256.abc.jpg", "no digest"},
    {"io.vistrel.sdk.defaults.lock", ""},
    {"Pictures/page.jpg", "a user's folder"},
    {"cover.jpg", "a picture of no record, named as a photo is"},
    {"cover.jpg.tmp-5", "and a temporary of it"},
    // Named as a temporary of a record's photo, which the store's clean-up removes: it
    // may be a user's all the same.
    {"page.jpg.staged-6", "a photo staged for a record"},
};

void layOutEarlierFolder(const fs::path& shared, bool logged = false) {
    for (const auto& files : {earlierFiles(logged), kUsersFiles})
        for (const auto& [path, bytes] : files) {
            fs::create_directories((shared / path).parent_path());
            std::ofstream(shared / path, std::ios::binary) << bytes;
        }
    fs::create_symlink("page.jpg", shared / "link.jpg");
}

// Where each entry an earlier version left is: directly in the shared folder (""), or in
// a folder of "apps" (an app's, or one being made for an app). Each must be in exactly one
// place, and all that left the shared folder in one and the same app's folder (or the one
// being made for it): `holder` is that app once known, and may not change.
void expectEachInOnePlace(const fs::path& shared, std::string& holder, bool logged = false) {
    std::set<std::string> places = {""};
    for (const std::string& name : namesIn(shared / "apps"))  // a read's own folder holds links only
        if (fs::is_directory(fs::symlink_status(shared / "apps" / name)) && !name.starts_with(".reading-"))
            places.insert(name);
    for (const std::string& name : earlierNames(logged)) {
        std::vector<std::string> found;
        for (const std::string& place : places)
            if (fs::exists(fs::symlink_status(place.empty() ? shared / name : shared / "apps" / place / name)))
                found.push_back(place);
        ASSERT_EQ(found.size(), 1u) << name << " is in " << found.size() << " places";
        if (found.front().empty()) continue;
        std::string app = found.front();
        if (app.starts_with(".taking-over-")) app.erase(0, std::string_view(".taking-over-").size());
        if (holder.empty()) holder = app;
        EXPECT_EQ(app, holder) << name << " is with another app";
    }
}

// Everything an earlier version left is whole in the folder of `app`, nothing of it in the
// shared folder, nothing else beside it (nor a journal a read made), no folder is being
// made, and what the user put there is as it was.
void expectTakenOverWhole(const fs::path& shared, const std::string& app, bool logged = false) {
    EXPECT_EQ(filesUnder(shared / "apps" / app, earlierNames(logged)), earlierFiles(logged)) << app;
    EXPECT_EQ(namesIn(shared / "apps" / app), earlierNames(logged)) << app;
    std::set<std::string> left = namesIn(shared);
    EXPECT_EQ(left.erase("apps"), 1u);
    EXPECT_EQ(left, (std::set<std::string>{"link.jpg", "notes.txt", "page.png", "page.jpeg",
                                           "VistrelData.sqlite.copy", "sha256.abc.jpg",
                                           "io.vistrel.sdk.defaults.lock", "Pictures", "cover.jpg",
                                           "cover.jpg.tmp-5", "page.jpg.staged-6"}));
    EXPECT_EQ(filesUnder(shared, left), kUsersFiles);
    EXPECT_TRUE(fs::is_symlink(shared / "link.jpg"));
    for (const std::string& name : namesIn(shared / "apps"))
        EXPECT_FALSE(name.starts_with(".taking-over-") || name.starts_with(".reading-")) << name;
}

struct AppDataFolderTest : ::testing::Test {
    void SetUp() override { vistrel::overrideBundleLocations(std::vector<fs::path>{VISTREL_BUILD_BUNDLE}); }
    void TearDown() override {
        platform::dispatch::RunLoop::runUntilIdle();
        vistrel::overrideBundleLocations(std::nullopt);
        vistrel::reopenKitDefaults();
    }
};

// Lays out, directly in the shared folder, what an earlier version left: its key and a
// store with one record of "earlier-scan" and its photo, written by the kit itself.
void layOutEarlierHistory(SharedFolder& folder) {
    testsupport::ScopedEnv home("VISTREL_HOME", folder.shared.c_str());
    vistrel::reopenKitDefaults();
    VistrelPref::setApiKey("earlier-key");
    auto history = std::make_shared<vistrel::PersistanceController>();
    ASSERT_TRUE(history->loadOrCreateVistrelImage("doc", "earlier-scan", "a page", testsupport::noisyPicture(2, 32, 16),
                                                  vistrel::Date(std::chrono::seconds(1'700'000'000))));
    platform::dispatch::RunLoop::runUntilIdle();
    history.reset();
    vistrel::reopenKitDefaults();
}

}  // namespace

// Apps of many names, one after the other: each sets its key and records a scan, then each
// sets another preference. Each keeps its own key and history, in a folder of its own in
// the kit's "apps", whatever its name: one of an entry an earlier version left, one that is
// no folder's name ("", ".", ".."), one holding what a folder name escapes, or longer
// than a name can be.
TEST_F(AppDataFolderTest, EachProgramNameKeepsItsOwnKeyAndHistory) {
    SharedFolder folder;
    const std::vector<std::string> names = {"alpha", "beta",  "Events", "VistrelData.sqlite", "page.jpg",
                                            "..",    ".",     "",       "%2E.",               ".hidden",
                                            std::string(300, 'n'),      std::string(300, 'n') + "o"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const AppSaw saw = runApp(folder, names[i],
                                  {std::string(kKeyVariable) + "=key-" + std::to_string(i),
                                   std::string(kRecordVariable) + "=scan-" + std::to_string(i)});
        EXPECT_EQ(saw.key, "key-" + std::to_string(i)) << i;
    }
    std::set<std::string> folders;
    for (std::size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "program " << i << " \"" << names[i] << "\"");
        const AppSaw saw = runApp(folder, names[i]);
        EXPECT_EQ(std::pair(saw.key, saw.history), std::pair("key-" + std::to_string(i), "scan-" + std::to_string(i) + " "));
        const fs::path own = saw.folder;
        EXPECT_EQ(own.parent_path(), folder.apps);
        EXPECT_TRUE(fs::is_directory(own));
        const std::string name = own.filename().string();
        EXPECT_TRUE(!name.empty() && !name.starts_with('.') && name.size() <= 255) << name;
        folders.insert(name);
    }
    EXPECT_EQ(folders.size(), names.size());
    EXPECT_EQ(namesIn(folder.shared), std::set<std::string>{"apps"});
}

// A shared folder as an earlier version left it, made by the kit itself (its key, a store
// with a record and its photo, Events and Contacts), a user's files beside it; two apps start
// at the same moment. Exactly one takes it all, and says so; the other starts empty;
// nothing is deleted, and what the user put there stays.
TEST_F(AppDataFolderTest, AnEarlierSharedFolderIsTakenOverByOneOfTwoAppsStartingAtOnce) {
    SharedFolder folder;
    layOutEarlierHistory(folder);
    if (HasFatalFailure()) return;
    const fs::path user = folder.dir.write("xdg/vistrel/notes.txt", "a user's notes");
    folder.dir.write("xdg/vistrel/Events/event.ics", "an event");
    folder.dir.write("xdg/vistrel/Contacts/contact.vcf", "a contact");
    std::set<std::string> earlier = namesIn(folder.shared);
    earlier.erase("notes.txt");
    std::erase_if(earlier, [](const std::string& name) { return name.ends_with(".lock"); });  // writers' locks: no data
    for (const char* name : {"io.vistrel.sdk.plist", "VistrelData.sqlite", "earlier-scan.jpg", "Events", "Contacts"})
        EXPECT_TRUE(earlier.contains(name)) << name;
    auto unchanged = filesUnder(folder.shared, earlier);
    std::erase_if(unchanged, [](const auto& file) { return file.first.starts_with("VistrelData.sqlite") ||
                                                           file.first.starts_with("io.vistrel.sdk.plist"); });

    testsupport::ProcessSignal ready, go;
    const std::string start = std::string(kStartVariable) + "=" + std::to_string(ready.writeEnd) + " " +
                              std::to_string(go.readEnd);
    const StartedApp alpha = startApp(folder, "alpha", {start}), beta = startApp(folder, "beta", {start});
    for (int i = 0; i < 2; ++i) ASSERT_TRUE(testsupport::ProcessSignal::waitFor(ready.readEnd));
    for (int i = 0; i < 2; ++i) testsupport::ProcessSignal::give(go.writeEnd);
    const std::map<std::string, AppSaw> saw = {{"alpha", finishApp(alpha.pid, alpha.output, alpha.result)},
                                               {"beta", finishApp(beta.pid, beta.output, beta.result)}};

    std::vector<std::string> takers;
    for (const auto& [app, seen] : saw) {
        const bool took = seen.key == "earlier-key";
        if (took) takers.push_back(app);
        EXPECT_EQ(seen.history, took ? "earlier-scan " : "") << app;
        EXPECT_EQ(seen.folder, (folder.apps / app).string());
        EXPECT_EQ(countOf(seen.log, kTakenOver), took ? 1u : 0u) << app << ":\n" << seen.log;
    }
    ASSERT_EQ(takers.size(), 1u);
    const std::string& taker = takers.front();
    const fs::path taken = folder.apps / taker;
    EXPECT_NE(saw.at(taker).log.find("data folder :: what an earlier version left in " + folder.shared.string() +
                                     " (preferences, the store, 1 photo file, Events, Contacts) taken over into " +
                                     taken.string()),
              std::string::npos)
        << saw.at(taker).log;
    for (const std::string& name : earlier) {
        EXPECT_TRUE(fs::exists(fs::symlink_status(taken / name))) << name;
        EXPECT_FALSE(fs::exists(fs::symlink_status(folder.shared / name))) << name;
    }
    for (const auto& [path, bytes] : unchanged) EXPECT_EQ(readAll(taken / path), bytes) << path;
    EXPECT_EQ(readAll(user), "a user's notes");
}

// A host named like the kit has its own data folder in the kit's shared one: its standard
// defaults ("preferences.plist", the name of the kit's preferences of long ago) stay
// there, while the kit's own preferences go into its app's folder.
TEST_F(AppDataFolderTest, AHostNamedLikeTheKitKeepsItsStandardDefaults) {
    SharedFolder folder;
    fs::create_directories(folder.shared);
    platform::UserDefaults(folder.shared / "io.vistrel.sdk.plist").set("apiKey", platform::Value("earlier-key"));
    platform::UserDefaults(folder.shared / "preferences.plist").set("hostsOwn", platform::Value("the host's"));
    const std::string hosts = readAll(folder.shared / "preferences.plist");

    const AppSaw saw = runApp(folder, "vistrel");
    EXPECT_EQ(std::tuple(saw.folder, saw.key, readAll(folder.shared / "preferences.plist")),
              std::tuple((folder.apps / "vistrel").string(), "earlier-key", hosts));
    EXPECT_FALSE(fs::exists(folder.apps / "vistrel" / "preferences.plist"));
}

namespace {

// An app started to find its folder step by step: it tells each step on its own pipe and
// waits at each for a word to go on. At "lock: waiting for another holder" it is told to
// go on at once: it can do nothing until the holder lets the lock go, and touches no file
// until it tells its next step.
struct SteppedApp {
    std::string app;
    pid_t pid = -1;
    fs::path output;
    testsupport::ProcessSignal told, go;
    enum class State { running, atStep, waitingForTheLock, ended } state = State::running;
    std::string step, unread;

    void goOn() {
        state = State::running;
        testsupport::ProcessSignal::give(go.writeEnd);
    }
};

// Reads what the running apps told, waiting for a line at most the signals' bound; false
// when none came.
bool readTold(std::vector<SteppedApp*>& apps) {
    std::vector<pollfd> polled;
    for (SteppedApp* app : apps)
        if (app->state == SteppedApp::State::running || app->state == SteppedApp::State::waitingForTheLock)
            polled.push_back({app->told.readEnd, POLLIN, 0});
    if (polled.empty()) return false;
    const int bound = static_cast<int>(std::chrono::milliseconds(testsupport::ProcessSignal::waitBound).count());
    if (::poll(polled.data(), polled.size(), bound) <= 0) return false;
    for (SteppedApp* app : apps) {
        const auto ready = std::find_if(polled.begin(), polled.end(), [&](const pollfd& p) {
            return p.fd == app->told.readEnd && (p.revents & POLLIN);
        });
        if (ready == polled.end()) continue;
        char bytes[256];
        const ssize_t count = ::read(app->told.readEnd, bytes, sizeof bytes);
        if (count > 0) app->unread.append(bytes, static_cast<std::size_t>(count));
        for (std::size_t end; (end = app->unread.find('\n')) != std::string::npos; app->unread.erase(0, end + 1)) {
            const std::string line = app->unread.substr(0, end);
            if (line == "ended") {
                app->state = SteppedApp::State::ended;
            } else if (line == "lock: waiting for another holder") {
                app->goOn();
                app->state = SteppedApp::State::waitingForTheLock;
            } else {
                app->state = SteppedApp::State::atStep;
                app->step = line;
            }
        }
    }
    return true;
}

// Stops the apps still running when a test fails early.
struct StopAtEnd {
    std::vector<SteppedApp*> apps;
    ~StopAtEnd() {
        for (SteppedApp* app : apps)
            if (app->pid > 0) {
                ::kill(app->pid, SIGKILL);
                testsupport::waitForChild(app->pid);
            }
    }
};

struct Choice {
    std::size_t taken, of;
};

// Two apps over an earlier shared folder, started at once, each held at every step of
// finding its folder; at each point where both wait, the one `order` says goes on (the
// first when it says no more). Every entry the earlier version left is checked to be in
// one place at every step. Gives the choices made.
std::vector<Choice> runInOrder(const std::pair<std::string, std::string>& names, const std::vector<std::size_t>& order,
                               bool logged) {
    SharedFolder folder;
    layOutEarlierFolder(folder.shared, logged);
    SteppedApp first, second;
    first.app = names.first;
    second.app = names.second;
    std::vector<SteppedApp*> apps = {&first, &second};
    StopAtEnd stop{apps};
    for (SteppedApp* app : apps) {
        const std::string steps = std::string(kStepsVariable) + "=" + std::to_string(app->told.writeEnd) + " " +
                                  std::to_string(app->go.readEnd) + " 0";
        std::tie(app->pid, app->output) = folder.start(app->app, "DISABLED_FindTheFolderStepByStep", {steps});
        EXPECT_GT(app->pid, 0);
    }
    std::vector<Choice> choices;
    std::string holder, taker;
    for (;;) {
        const bool told = std::all_of(apps.begin(), apps.end(), [](SteppedApp* app) {
            return app->state != SteppedApp::State::running;
        });
        if (!told) {
            EXPECT_TRUE(readTold(apps)) << "an app never told its next step";
            if (::testing::Test::HasFailure()) return {};
            continue;
        }
        expectEachInOnePlace(folder.shared, holder, logged);
        std::vector<SteppedApp*> ready;
        for (SteppedApp* app : apps)
            if (app->state == SteppedApp::State::atStep) ready.push_back(app);
        if (ready.empty()) {
            if (std::all_of(apps.begin(), apps.end(), [](SteppedApp* app) { return app->state == SteppedApp::State::ended; }))
                break;
            EXPECT_TRUE(readTold(apps)) << "an app waits for the lock for ever";
            if (::testing::Test::HasFailure()) return {};
            continue;
        }
        std::size_t chosen = 0;
        if (ready.size() > 1) {
            chosen = choices.size() < order.size() ? order[choices.size()] : 0;
            choices.push_back({chosen, ready.size()});
        }
        SteppedApp& next = *ready[chosen];
        if (next.step == "takeover: folder made" && taker.empty()) taker = next.app;
        next.goOn();
    }
    std::string logs;
    for (SteppedApp* app : apps) {
        const int status = testsupport::waitForChild(std::exchange(app->pid, -1));
        const std::string log = readAll(app->output);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << app->app << ", status " << status << ":\n" << log;
        logs += log;
    }
    EXPECT_FALSE(taker.empty()) << "no app began taking the earlier folder";
    EXPECT_EQ(holder, taker);
    expectTakenOverWhole(folder.shared, taker, logged);
    for (SteppedApp* app : apps) {
        if (app->app != taker) {
            EXPECT_EQ(namesIn(folder.apps / app->app), std::set<std::string>{}) << app->app;
        }
    }
    EXPECT_EQ(countOf(logs, kTakenOver), 1u) << logs;
    EXPECT_EQ(countOf(logs, std::string(kTakenOver) + (folder.apps / taker).string()), 1u) << logs;
    return choices;
}

}  // namespace

// Two apps (and two processes of one app) start at once over an earlier shared folder,
// each held at every step of the takeover, in every order of their steps: at every step
// each entry the earlier version left is in exactly one place (the shared folder, the
// folder being made for the app that began taking it, or that app's folder), and at the
// end all of it is whole in that app's folder, the other's folder empty, one line logged.
// So too when the store's last record is only in its log, the log's index left out: that
// record's photo goes with it, and no journal is made beside it.
TEST_F(AppDataFolderTest, TwoAppsStartingAtOnceTakeTheEarlierFolderOverOnceInEveryOrder) {
    for (const auto& [names, logged] : std::vector<std::pair<std::pair<std::string, std::string>, bool>>{
             {{"alpha", "beta"}, false}, {{"alpha", "alpha"}, false}, {{"alpha", "beta"}, true}}) {
        std::size_t runs = 0;
        for (std::vector<std::size_t> order;;) {
            SCOPED_TRACE(::testing::Message() << names.first << " and " << names.second << ", order " << runs
                                              << (logged ? ", a record only in the store's log" : ""));
            std::vector<Choice> choices = runInOrder(names, order, logged);
            if (HasFailure()) return;
            ASSERT_LT(++runs, 200u) << "more orders than meant";
            // The next order: the last choice that has another way left takes it.
            while (!choices.empty() && choices.back().taken + 1 >= choices.back().of) choices.pop_back();
            if (choices.empty()) break;
            order.clear();
            for (const Choice& choice : choices) order.push_back(choice.taken);
            ++order.back();
        }
        // Which goes first, and where of the first's steps the second comes to the lock.
        EXPECT_GE(runs, 2u * earlierNames(logged).size());
    }
}

// One app stopped dead at each step of its takeover in turn; the next start (of that app,
// or of another) finishes it for the app that began it, or, when it had not begun (it held
// the lock only), takes it over itself.
TEST_F(AppDataFolderTest, ATakeoverStoppedDeadAtAnyStepIsFinishedByTheNextStart) {
    for (const std::string next : {"alpha", "beta"}) {
        for (int step = 1;; ++step) {
            SCOPED_TRACE(::testing::Message() << "stopped at step " << step << ", then " << next);
            ASSERT_LT(step, 50) << "the takeover never ends";
            SharedFolder folder;
            layOutEarlierFolder(folder.shared);
            testsupport::ProcessSignal told;
            const std::string steps = std::string(kStepsVariable) + "=" + std::to_string(told.writeEnd) + " -1 " +
                                      std::to_string(step);
            const auto [stopped, stoppedOutput] = folder.start("alpha", "DISABLED_FindTheFolderStepByStep", {steps});
            const int status = testsupport::waitForChild(stopped);
            const bool killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
            ASSERT_TRUE(killed || (WIFEXITED(status) && WEXITSTATUS(status) == 0))
                << "status " << status << ":\n" << readAll(stoppedOutput);
            std::string holder;
            expectEachInOnePlace(folder.shared, holder);
            if (!killed) {
                // Every step was one a run was stopped at.
                ::close(told.writeEnd);
                told.writeEnd = -1;
                std::string lines;
                char bytes[4096];
                for (ssize_t count; (count = ::read(told.readEnd, bytes, sizeof bytes)) > 0;)
                    lines.append(bytes, static_cast<std::size_t>(count));
                std::string wanted =
                    "takeover: taking the lock\ntakeover: lock taken\nread: linked\ntakeover: folder made\n";
                for (std::size_t i = 0; i < kEarlierNames.size(); ++i) wanted += "takeover: moved\n";
                wanted += "takeover: in place\nended\n";
                EXPECT_EQ(lines, wanted);
                EXPECT_EQ(step, 1 + static_cast<int>(kEarlierNames.size()) + 5);
                expectTakenOverWhole(folder.shared, "alpha");
                break;
            }
            const bool begun = fs::exists(folder.apps / ".taking-over-alpha") || fs::exists(folder.apps / "alpha");
            const bool toFinish = begun ? !fs::exists(folder.apps / "alpha") : true;
            const auto [again, againOutput] = folder.start(next, "DISABLED_FindTheFolderStepByStep", {std::string(kStepsVariable) + "=-1 -1 0"});
            const int againStatus = testsupport::waitForChild(again);
            const std::string log = readAll(againOutput);
            ASSERT_TRUE(WIFEXITED(againStatus) && WEXITSTATUS(againStatus) == 0) << againStatus << ":\n" << log;
            const std::string taker = begun ? "alpha" : next;
            expectTakenOverWhole(folder.shared, taker);
            EXPECT_TRUE(fs::is_directory(folder.apps / next));
            EXPECT_EQ(countOf(log, std::string(kTakenOver) + (folder.apps / taker).string()), toFinish ? 1u : 0u) << log;
        }
    }
}

// An app that tells its steps, held once it has moved the first entry into the folder it
// makes (or at another step), the takeover's lock its own; stopped dead when this goes.
struct HeldInItsTakeover {
    SteppedApp app;
    std::vector<SteppedApp*> apps{&app};
    StopAtEnd stop{apps};

    void start(SharedFolder& folder, std::string name, const std::string& at = "takeover: moved") {
        app.app = std::move(name);
        const std::string steps = std::string(kStepsVariable) + "=" + std::to_string(app.told.writeEnd) + " " +
                                  std::to_string(app.go.readEnd) + " 0";
        std::tie(app.pid, app.output) = folder.start(app.app, "DISABLED_FindTheFolderStepByStep", {steps});
        while (app.step != at) {
            ASSERT_TRUE(readTold(apps)) << "it never told its next step:\n" << readAll(app.output);
            ASSERT_NE(app.state, SteppedApp::State::ended) << readAll(app.output);
            if (app.state == SteppedApp::State::atStep && app.step != at) app.goOn();
        }
    }
};

// An app whose folder is made starts while another app is held in the middle of its
// takeover (moving, or reading the store in a folder of its own): it never waits for that
// takeover's lock, finds its own key, and leaves the other's folder as it is.
TEST_F(AppDataFolderTest, AnAppWithItsFolderNeverWaitsForAnotherAppsTakeover) {
    for (const std::string at : {"takeover: moved", "read: linked"}) {
        SCOPED_TRACE(at);
        SharedFolder folder;
        ASSERT_EQ(runApp(folder, "alpha", {std::string(kKeyVariable) + "=alpha-key"}).key, "alpha-key");
        layOutEarlierHistory(folder);
        if (HasFatalFailure()) return;
        HeldInItsTakeover beta;
        beta.start(folder, "beta", at);
        if (HasFatalFailure()) return;
        const std::set<std::string> held = namesIn(folder.apps);

        const AppSaw alpha = runApp(folder, "alpha");
        EXPECT_EQ(alpha.key, "alpha-key");
        EXPECT_EQ(alpha.log.find("was held too long"), std::string::npos) << alpha.log;
        EXPECT_EQ(namesIn(folder.apps), held);
    }
}

// A process of an app held in the middle of its takeover (a debugger, a suspended terminal)
// while a second process of that app starts, gives up waiting for the lock and sets a
// preference in the app's folder. Once the first goes on and ends, the app's next start
// still finds the history the earlier version left: it is never left for good in a folder
// being made that can no longer be put in place.
TEST_F(AppDataFolderTest, ATakeoverHeldPastASecondStartsWaitStillReachesItsApp) {
    SharedFolder folder;
    layOutEarlierHistory(folder);
    if (HasFatalFailure()) return;

    HeldInItsTakeover held;
    held.start(folder, "alpha");
    SteppedApp& first = held.app;
    if (HasFatalFailure()) return;

    // The second gives up waiting for the lock (the first holds it for as long as it is
    // held) and sets a preference: the app's folder is made.
    const AppSaw second = runApp(folder, "alpha", {std::string(kKeyVariable) + "=second-key"});
    EXPECT_EQ(second.folder, (folder.apps / "alpha").string());
    EXPECT_NE(second.log.find("was held too long"), std::string::npos) << second.log;

    // The first goes on to its end.
    for (int i = 0; i < 100; ++i) testsupport::ProcessSignal::give(first.go.writeEnd);
    const int status = testsupport::waitForChild(std::exchange(first.pid, -1));
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << ":\n" << readAll(first.output);

    const AppSaw next = runApp(folder, "alpha");
    EXPECT_EQ(next.history, "earlier-scan ") << next.log;
    EXPECT_TRUE(fs::exists(folder.apps / "alpha" / "earlier-scan.jpg"));
    for (const std::string& name : namesIn(folder.apps)) EXPECT_FALSE(name.starts_with(".taking-over-")) << name;
}

// What has the name of the takeover's lock may be no lock file of the kit's: a hard link or
// a symbolic link to a file of the host's, a FIFO. Its file is never touched, and the first
// app to start still takes over what the earlier version left, once: a later start that
// finds the lock usable again finds the app's folder already made.
TEST_F(AppDataFolderTest, ALockNameThatIsNoLockFileStillLetsTheEarlierFolderBeTakenOver) {
    for (const std::string kind : {"hard link", "symbolic link", "FIFO"}) {
        SCOPED_TRACE(kind);
        SharedFolder folder;
        layOutEarlierHistory(folder);
        if (HasFatalFailure()) return;
        const fs::path hosts = folder.dir.write("host/settings.conf", "the host's own settings\n");
        fs::create_directories(folder.apps);
        const fs::path lock = folder.apps / ".takeover.lock";
        if (kind == "hard link") fs::create_hard_link(hosts, lock);
        else if (kind == "symbolic link") fs::create_symlink(hosts, lock);
        else ASSERT_EQ(::mkfifo(lock.c_str(), 0600), 0);

        const AppSaw first = runApp(folder, "alpha");
        EXPECT_EQ(std::pair(first.key, first.history), std::pair(std::string("earlier-key"), std::string("earlier-scan ")))
            << first.log;
        EXPECT_EQ(readAll(hosts), "the host's own settings\n");
        // The link goes (the host's file stays), as it would in the user's hands.
        fs::remove(lock);
        const AppSaw again = runApp(folder, "alpha");
        EXPECT_EQ(std::pair(again.key, again.history), std::pair(std::string("earlier-key"), std::string("earlier-scan ")))
            << again.log;
    }
}

// An app whose data folder is set (VISTREL_HOME) to the kit's shared folder itself, where
// it has always kept its preferences, store and photos, beside another app that has no
// folder set. The other app's first start takes none of the first app's data, live in its
// own folder: the first finds its key and history at its next start.
TEST_F(AppDataFolderTest, AnAppWhoseFolderIsTheSharedOneKeepsItsDataWhenAnotherAppStarts) {
    SharedFolder folder;
    const std::string pinned = "VISTREL_HOME=" + folder.shared.string();
    const AppSaw first = runApp(folder, "pinned", {pinned, std::string(kKeyVariable) + "=pinned-key",
                                                   std::string(kRecordVariable) + "=pinned-scan"});
    ASSERT_EQ(std::pair(first.folder, first.key), std::pair(folder.shared.string(), std::string("pinned-key")));

    const AppSaw other = runApp(folder, "beta", {std::string(kKeyVariable) + "=beta-key"});
    EXPECT_EQ(std::pair(other.key, other.history), std::pair(std::string("beta-key"), std::string())) << other.log;

    const AppSaw again = runApp(folder, "pinned", {pinned});
    EXPECT_EQ(std::pair(again.key, again.history), std::pair(std::string("pinned-key"), std::string("pinned-scan ")))
        << again.log;
}

// A host named like the kit keeps its own files in its own data folder, which is the
// kit's shared one: a picture of its own named as a photo of the kit's could be, beside the
// history an earlier version of the kit left there. What the kit takes over is its own
// (the store, and the photos of its records); the host's picture stays where the host
// put it, byte for byte.
TEST_F(AppDataFolderTest, AHostNamedLikeTheKitKeepsItsOwnPictures) {
    SharedFolder folder;
    layOutEarlierHistory(folder);
    if (HasFatalFailure()) return;
    const fs::path hosts = folder.dir.write("xdg/vistrel/cover.jpg", "the host's own cover picture");

    const AppSaw saw = runApp(folder, "vistrel");
    EXPECT_EQ(std::pair(saw.key, saw.history), std::pair(std::string("earlier-key"), std::string("earlier-scan ")))
        << saw.log;
    EXPECT_EQ(readAll(hosts), "the host's own cover picture");
    EXPECT_FALSE(fs::exists(folder.apps / "vistrel" / "cover.jpg"));
}

// A host named like the kit keeps its own files in its own data folder, the kit's shared
// one: its standard defaults of two keys of its own ("preferences.plist"), a picture named
// as a photo of the kit's could be, an "Events" folder of its own (a calendar file named as
// the kit names one, and a folder the kit never makes). Another app starts before or after
// it, with or without what an earlier version of the kit left beside them: whichever app
// starts first, the host's files stay where the host put them, byte for byte, and what the
// kit made (its preferences, its store, the photo of its record, its contacts) goes to the
// first app.
TEST_F(AppDataFolderTest, AHostNamedLikeTheKitKeepsItsOwnFilesWhenAnotherAppStarts) {
    for (const bool earlier : {false, true}) {
        for (const std::vector<std::string>& order : {std::vector<std::string>{"vistrel", "alpha"}, {"alpha", "vistrel"}}) {
            SCOPED_TRACE(::testing::Message() << order.front() << " first" << (earlier ? ", an earlier version's data" : ""));
            SharedFolder folder;
            if (earlier) {
                layOutEarlierHistory(folder);
                if (HasFatalFailure()) return;
                platform::services::Contact contact;
                contact.givenName = "Ada";
                ASSERT_FALSE(platform::services::ContactStore(folder.shared / "Contacts").saveContact(contact));
            }
            fs::create_directories(folder.shared);
            {
                platform::UserDefaults hosts(folder.shared / "preferences.plist");
                ASSERT_TRUE(hosts.set("theme", platform::Value("dark")) && hosts.set("apiKey", platform::Value("the host's")));
            }
            folder.dir.write("xdg/vistrel/cover.jpg", "the host's own cover picture");
            folder.dir.write("xdg/vistrel/Events/holidays.ics", "the host's calendar");
            folder.dir.write("xdg/vistrel/Events/reminders/monday.txt", "the host's reminder");
            const std::set<std::string> hostsNames = {"preferences.plist", "cover.jpg", "Events"};
            const auto hostsFiles = filesUnder(folder.shared, hostsNames);
            ASSERT_EQ(hostsFiles.size(), 4u);

            std::map<std::string, AppSaw> saw;
            for (const std::string& app : order) saw[app] = runApp(folder, app);
            EXPECT_EQ(filesUnder(folder.shared, hostsNames), hostsFiles);
            for (const std::string& app : order) {
                for (const std::string& name : hostsNames) EXPECT_FALSE(fs::exists(folder.apps / app / name)) << app << " " << name;
                const bool took = earlier && app == order.front();
                EXPECT_EQ(std::pair(saw[app].key, saw[app].history),
                          took ? std::pair(std::string("earlier-key"), std::string("earlier-scan ")) : std::pair(std::string(), std::string()))
                    << app << ":\n" << saw[app].log;
                EXPECT_EQ(countOf(saw[app].log, kTakenOver), took ? 1u : 0u) << app << ":\n" << saw[app].log;
            }
            if (earlier) {
                for (const char* name : {"io.vistrel.sdk.plist", "VistrelData.sqlite", "earlier-scan.jpg", "Contacts"}) {
                    EXPECT_FALSE(fs::exists(folder.shared / name)) << name;
                    EXPECT_TRUE(fs::exists(folder.apps / order.front() / name)) << name;
                }
            }
        }
    }
}

// What another program writes, between the takeover's look and its moves, into an entry
// that only its contents tell to be the kit's (its own preferences put in place of the
// kit's, a file of its own into "Events") is put back where it was, as it was; the rest
// is taken over.
TEST_F(AppDataFolderTest, WhatAnotherProgramWritesAsItIsTakenOverIsPutBack) {
    SharedFolder folder;
    layOutEarlierFolder(folder.shared);
    SteppedApp app;
    app.app = "alpha";
    std::vector<SteppedApp*> apps = {&app};
    StopAtEnd stop{apps};
    const std::string steps = std::string(kStepsVariable) + "=" + std::to_string(app.told.writeEnd) + " " +
                              std::to_string(app.go.readEnd) + " 0";
    std::tie(app.pid, app.output) = folder.start(app.app, "DISABLED_FindTheFolderStepByStep", {steps});
    for (bool written = false; app.state != SteppedApp::State::ended;) {
        ASSERT_TRUE(readTold(apps)) << "it never told its next step:\n" << readAll(app.output);
        if (app.state != SteppedApp::State::atStep) continue;
        if (app.step == "takeover: folder made" && !written) {
            written = true;
            fs::rename(folder.dir.write("hosts.plist", propertyListOf({{"apiKey", "the host's"}, {"theme", "dark"}})),
                       folder.shared / "preferences.plist");
            folder.dir.write("xdg/vistrel/Events/notes.txt", "the host's notes");
        }
        app.goOn();
    }
    const int status = testsupport::waitForChild(std::exchange(app.pid, -1));
    const std::string log = readAll(app.output);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << ":\n" << log;
    EXPECT_EQ(readAll(folder.shared / "preferences.plist"), propertyListOf({{"apiKey", "the host's"}, {"theme", "dark"}}));
    EXPECT_EQ(filesUnder(folder.shared, {"Events"}),
              (std::map<std::string, std::string>{{"Events/event.ics", "an event"}, {"Events/notes.txt", "the host's notes"}}));
    EXPECT_EQ(namesIn(folder.apps / "alpha"), (std::set<std::string>{"io.vistrel.sdk.plist", "VistrelData.sqlite",
                                                                     "VistrelData.sqlite-wal", "page.jpg", "Contacts"}));
    EXPECT_EQ(countOf(log, "put back"), 2u) << log;
}

namespace {

// An earlier version's store left by a run stopped dead: its last record, "late-scan", is
// still in its write-ahead log (with the log's index beside it), not yet in the store's
// own file. Each record's photo beside it.
void layOutEarlierStoreWithItsLog(const fs::path& shared) {
    stoppedDeadIn(shared / "VistrelData.sqlite", "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;"
                                                 "INSERT INTO VistrelImage VALUES ('late-scan', 'a late page')");
    std::ofstream(shared / "page.jpg", std::ios::binary) << "a record's photo";
    std::ofstream(shared / "late-scan.jpg", std::ios::binary) << "the photo of a record in the log";
    ASSERT_TRUE(fs::exists(shared / "VistrelData.sqlite-wal"));
    ASSERT_TRUE(fs::exists(shared / "VistrelData.sqlite-shm"));
}

// An earlier version's store at `store` as the kit itself wrote it, of one record, "page",
// with nothing beside it (its photo, written too, is not kept).
void writtenByTheKit(const fs::path& store) {
    testsupport::TempDir dir;
    {
        auto layer = std::make_shared<vistrel::CoreDataLayer>();
        layer->setApplicationDocumentsDirectory(dir.path());
        vistrel::PersistanceController history(layer);
        ASSERT_TRUE(history.loadOrCreateVistrelImage("doc", "page", "a page", testsupport::noisyPicture(3, 16, 8),
                                                     vistrel::Date(std::chrono::seconds(1'700'000'000))));
        platform::dispatch::RunLoop::runUntilIdle();
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((dir / "VistrelData.sqlite").c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    std::ofstream(store, std::ios::binary | std::ios::trunc) << readAll(dir / "VistrelData.sqlite");
}

}  // namespace

// A takeover stopped dead once it moved the store, before its log: the next start finishes
// it, and the photo of the record only the log holds still goes with the store (it is no
// less a record's photo for the log being still beside the folder it came from). A picture
// of no record stays, also when the moved store can no longer be linked to be read (and
// is read from a copy): the stopped run moved every photo it named before it.
TEST_F(AppDataFolderTest, ATakeoverStoppedBetweenTheStoreAndItsLogStillTakesTheLogsPhotos) {
    // The store is read, the photos move, then the store and its journals: stopped once the
    // store moved, and once the log's index moved too.
    for (const auto& [stopAt, unlinked] : std::vector<std::pair<int, bool>>{{7, false}, {8, false}, {7, true}}) {
        SCOPED_TRACE(::testing::Message() << "stopped at step " << stopAt
                                          << (unlinked ? ", the store then unlinked" : ""));
        SharedFolder folder;
        layOutEarlierStoreWithItsLog(folder.shared);
        if (HasFatalFailure()) return;
        const std::string steps = std::string(kStepsVariable) + "=-1 -1 " + std::to_string(stopAt);
        const auto [stopped, output] = folder.start("alpha", "DISABLED_FindTheFolderStepByStep", {steps});
        const int status = testsupport::waitForChild(stopped);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status << ":\n" << readAll(output);
        ASSERT_TRUE(fs::exists(folder.apps / ".taking-over-alpha" / "VistrelData.sqlite"));
        ASSERT_TRUE(fs::exists(folder.shared / "VistrelData.sqlite-wal"));
        folder.dir.write("xdg/vistrel/cover.jpg", "a picture of no record");
        if (unlinked && !testsupport::linkToTheLimit(folder.apps / ".taking-over-alpha" / "VistrelData.sqlite",
                                                     folder.dir / "links"))
            GTEST_SKIP() << folder.dir.path() << " lets a file have more links than a test makes";

        const auto [again, againOutput] =
            folder.start("alpha", "DISABLED_FindTheFolderStepByStep", {std::string(kStepsVariable) + "=-1 -1 0"});
        const int againStatus = testsupport::waitForChild(again);
        ASSERT_TRUE(WIFEXITED(againStatus) && WEXITSTATUS(againStatus) == 0) << againStatus;
        EXPECT_TRUE(fs::exists(folder.apps / "alpha" / "VistrelData.sqlite-wal"));
        EXPECT_TRUE(fs::exists(folder.apps / "alpha" / "page.jpg"));
        EXPECT_TRUE(fs::exists(folder.apps / "alpha" / "late-scan.jpg")) << readAll(againOutput);
        EXPECT_FALSE(fs::exists(folder.shared / "late-scan.jpg"));
        EXPECT_EQ(readAll(folder.shared / "cover.jpg"), "a picture of no record");
    }
}

// The same app, its data folder set to the shared folder written with a slash at its end,
// the folder not made yet at its first start: another app's first start still takes none
// of its data.
TEST_F(AppDataFolderTest, AnAppWhoseFolderIsTheSharedOneWrittenWithASlashKeepsItsData) {
    SharedFolder folder;
    ASSERT_FALSE(fs::exists(folder.shared));
    const std::string pinned = "VISTREL_HOME=" + folder.shared.string() + "/";
    const AppSaw first = runApp(folder, "pinned", {pinned, std::string(kKeyVariable) + "=pinned-key",
                                                   std::string(kRecordVariable) + "=pinned-scan"});
    ASSERT_EQ(first.key, "pinned-key");

    const AppSaw other = runApp(folder, "beta", {std::string(kKeyVariable) + "=beta-key"});
    EXPECT_EQ(std::pair(other.key, other.history), std::pair(std::string("beta-key"), std::string())) << other.log;

    const AppSaw again = runApp(folder, "pinned", {pinned});
    EXPECT_EQ(std::pair(again.key, again.history), std::pair(std::string("pinned-key"), std::string("pinned-scan ")))
        << again.log;
}

// An earlier version's store of very many records (a history it never limited), the photo
// of its newest record beside it: the takeover moves that photo with the store.
TEST_F(AppDataFolderTest, TheNewestPhotoOfAStoreOfVeryManyRecordsIsTakenOver) {
    SharedFolder folder;
    fs::create_directories(folder.shared);
    std::ofstream(folder.shared / "VistrelData.sqlite", std::ios::binary) << earlierStoreBytes();
    std::ofstream(folder.shared / "page.jpg", std::ios::binary) << "the oldest record's photo";
    std::ofstream(folder.shared / "newest.jpg", std::ios::binary) << "the newest record's photo";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((folder.shared / "VistrelData.sqlite").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000) "
                           "INSERT INTO VistrelImage SELECT 'scan-' || i, 'a page' FROM n;"
                           "INSERT INTO VistrelImage VALUES ('newest', 'the newest page')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    const auto [pid, output] =
        folder.start("alpha", "DISABLED_FindTheFolderStepByStep", {std::string(kStepsVariable) + "=-1 -1 0"});
    const int status = testsupport::waitForChild(pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(fs::exists(folder.apps / "alpha" / "VistrelData.sqlite"));
    EXPECT_TRUE(fs::exists(folder.apps / "alpha" / "page.jpg"));
    EXPECT_TRUE(fs::exists(folder.apps / "alpha" / "newest.jpg")) << readAll(output);
    EXPECT_FALSE(fs::exists(folder.shared / "newest.jpg"));
}

// What has the earlier store's name, beside the photos of its records ("page", and
// "late-scan" where its log holds it), one of no record ("cover"), temporaries of photos
// and the kit's preferences, as a first app takes it over while a second starts. A FIFO is
// never opened: the first start returns, takes neither it nor the photos, and holds the
// second's for no time. A store whose last record only its log holds, the log's index left
// out, is read whole, and nothing is made beside it; so is one whose journals' names are
// held by what is no journal (a FIFO, a folder, a symbolic link), which stays. One that
// cannot be read whole (a damaged header, an empty file, a hot rollback journal, its
// records' table a view or a virtual table, both over a query without end) takes every
// photo with it; one of thousands of records, photos of megabytes inside some, is read
// whole. One that cannot be linked to be read is read from a copy, with its log, and
// takes the photos its records name; one that changes as it is copied (a live writer's)
// is not known: it stays, with its log and every photo. The preferences go whatever the store is. A record's photo left only under
// a temporary's name (an earlier version's aside, or a whole picture being written) goes
// when it alone is left of that photo, and is at its name once the app's store opens; any
// other temporary stays, whatever it holds (a user's file may have such a name, which the
// store's clean-up would remove). Whatever moves is moved as it was.
TEST_F(AppDataFolderTest, WhatHasTheStoresNameIsReadWholeOrTakesEveryPhotoWithIt) {
    const std::set<std::string> everything = {"VistrelData.sqlite", "page.jpg", "late-scan.jpg", "cover.jpg"};
    // A query that never ends, and never gives a text, with the columns a read asks for.
    const std::string endless =
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT i AS rowid, i AS identifier FROM n";
    std::string notRun;
    for (const auto& [kind, taken] : std::vector<std::pair<std::string, std::set<std::string>>>{
             {"FIFO", {}},
             {"log", {"VistrelData.sqlite", "VistrelData.sqlite-wal", "page.jpg", "late-scan.jpg"}},
             {"no journals", {"VistrelData.sqlite", "page.jpg"}},
             {"damaged", everything},
             {"empty", everything},
             {"hot", {"VistrelData.sqlite", "VistrelData.sqlite-journal", "page.jpg", "late-scan.jpg", "cover.jpg"}},
             {"view", everything},
             {"virtual", everything},
             {"large", {"VistrelData.sqlite", "page.jpg", "late-scan.jpg"}},
             {"unlinked", {"VistrelData.sqlite", "VistrelData.sqlite-wal", "page.jpg", "late-scan.jpg"}},
             {"unlinked, changed as it is copied", {}},
             {"aside", {"VistrelData.sqlite", "page.jpg.aside-3"}},
             {"whole tmp-", {"VistrelData.sqlite", "page.jpg.tmp-4"}},
             {"two temporaries", {"VistrelData.sqlite"}},
             {"temporaries the clean-up removes", {"VistrelData.sqlite"}}}) {
        SCOPED_TRACE(kind);
        SharedFolder folder;
        const fs::path store = folder.shared / "VistrelData.sqlite";
        layOutEarlierStoreWithItsLog(folder.shared);
        if (HasFatalFailure()) return;
        fs::remove(folder.shared / "VistrelData.sqlite-shm");
        if (kind != "log" && !kind.starts_with("unlinked")) fs::remove(folder.shared / "VistrelData.sqlite-wal");
        if (kind == "FIFO") {
            ASSERT_TRUE(fs::remove(store) && ::mkfifo(store.c_str(), 0600) == 0);
        }
        if (kind == "no journals") {
            ASSERT_EQ(::mkfifo((folder.shared / "VistrelData.sqlite-wal").c_str(), 0600), 0);
            fs::create_directory(folder.shared / "VistrelData.sqlite-journal");
            fs::create_symlink("page.jpg", folder.shared / "VistrelData.sqlite-shm");
        }
        if (kind == "damaged") folder.dir.write("xdg/vistrel/VistrelData.sqlite", "no store" + std::string(4096, '!'));
        if (kind == "empty") folder.dir.write("xdg/vistrel/VistrelData.sqlite", "");
        if (kind == "hot") {
            stoppedDeadIn(store, "PRAGMA cache_size = 2; BEGIN; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                                 "SELECT i + 1 FROM n WHERE i < 300) "
                                 "INSERT INTO VistrelImage SELECT 'x' || i, randomblob(3000) FROM n");
            ASSERT_TRUE(fs::exists(folder.shared / "VistrelData.sqlite-journal"));
        }
        if (kind == "view")
            stoppedDeadIn(store, ("DROP TABLE VistrelImage; CREATE VIEW VistrelImage AS " + endless).c_str());
        if (kind == "virtual") {
            const std::string sql = "CREATE VIEW Endless AS " + endless + "; DROP TABLE VistrelImage;"
                                    "CREATE VIRTUAL TABLE VistrelImage USING fts5(identifier, content = 'Endless')";
            stoppedDeadIn(store, sql.c_str());
        }
        if (kind == "large") {
            stoppedDeadIn(store, "ALTER TABLE VistrelImage ADD COLUMN imageData BLOB;"
                                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                                 "INSERT INTO VistrelImage SELECT 'scan-' || i, 'a page', "
                                 "CASE WHEN i % 1000 = 0 THEN randomblob(5000000) END FROM n;"
                                 "INSERT INTO VistrelImage VALUES ('late-scan', 'a late page', randomblob(20000000))");
        }
        if (kind.starts_with("unlinked") && !testsupport::linkToTheLimit(store, folder.dir / "links")) {
            notRun = "the row of a store that cannot be linked did not run: " + folder.dir.path().string() +
                     " is on a file system that lets a file have more links than a test makes";
            continue;
        }
        // The record's only photo under a temporary's name, as a run stopped two days ago
        // left it: one the store's clean-up puts back at its name, or one it removes.
        const std::string wholePicture = std::string(platform::graphics::jpegStart) + "a record's photo" +
                                         std::string(platform::graphics::jpegEnd);
        std::vector<std::string> temporaries = {"cover.jpg.tmp-5", "page.jpg.staged-6",
                                                "late-scan.jpg.aside-2-1700000000.5"};
        // The store as the kit wrote it, so that the app can open it once it is taken over.
        if (kind == "aside" || kind == "whole tmp-") {
            writtenByTheKit(store);
            if (HasFatalFailure()) return;
        }
        if (kind == "aside" || kind == "two temporaries") {
            fs::rename(folder.shared / "page.jpg", folder.shared / "page.jpg.aside-3");
            temporaries.push_back("page.jpg.aside-3");
        }
        if (kind == "whole tmp-" || kind == "two temporaries") {
            fs::remove(folder.shared / "page.jpg");
            folder.dir.write("xdg/vistrel/page.jpg.tmp-4", wholePicture);
            temporaries.push_back("page.jpg.tmp-4");
        }
        if (kind == "temporaries the clean-up removes") {
            fs::remove(folder.shared / "page.jpg");
            folder.dir.write("xdg/vistrel/page.jpg.tmp-4", "half a photo");
            folder.dir.write("xdg/vistrel/page.jpg.aside-2-1700000000.5", "a photo set aside by this version");
            temporaries.insert(temporaries.end(), {"page.jpg.tmp-4", "page.jpg.aside-2-1700000000.5"});
        }
        folder.dir.write("xdg/vistrel/cover.jpg", "a picture of no record");
        folder.dir.write("xdg/vistrel/io.vistrel.sdk.plist", propertyListOf({{"apiKey", "the kit's key"}}));
        for (const char* temporary : {"cover.jpg.tmp-5", "page.jpg.staged-6", "late-scan.jpg.aside-2-1700000000.5"})
            folder.dir.write(std::string("xdg/vistrel/") + temporary, wholePicture);
        for (const std::string& temporary : temporaries) {
            const timespec twoDaysAgo[2] = {{1'700'000'000, 0}, {::time(nullptr) - 2 * 86400, 0}};
            ASSERT_EQ(::utimensat(AT_FDCWD, (folder.shared / temporary).c_str(), twoDaysAgo, 0), 0) << temporary;
        }
        std::set<std::string> moved = taken;
        moved.insert("io.vistrel.sdk.plist");
        const std::set<std::string> before = namesIn(folder.shared);
        const auto files = filesUnder(folder.shared, before);

        SteppedApp first;
        StopAtEnd stop{{&first}};
        // A store that changes as it is copied (a live writer's): the first start is held as
        // it begins to copy it, its modification time changed meanwhile.
        const std::string copying = kind == "unlinked, changed as it is copied" ? "copy: opened" : "";
        const std::string steps = std::string(kStepsVariable) + "=" + std::to_string(first.told.writeEnd) + " " +
                                  (copying.empty() ? "-1 0" : std::to_string(first.go.readEnd) + " 0 " + copying);
        std::tie(first.pid, first.output) = folder.start("alpha", "DISABLED_FindTheFolderStepByStep", {steps});
        testsupport::LineReader told(first.told.readEnd);
        for (std::optional<std::string> step; step != "takeover: lock taken";)
            ASSERT_TRUE(step = told.next()) << readAll(first.output);
        if (!copying.empty()) {
            for (std::optional<std::string> step; step != copying;) {
                ASSERT_TRUE(step = told.next()) << readAll(first.output);
                ASSERT_NE(step, "ended") << "the store was never copied";
            }
            const timespec written[2] = {{0, UTIME_OMIT}, {1'600'000'000, 0}};
            ASSERT_EQ(::utimensat(AT_FDCWD, store.c_str(), written, 0), 0);
            first.goOn();
        }
        // A second app that starts meanwhile waits for the first, and starts empty (but
        // beside a store left for not being known, which it would take when it can read it).
        const AppSaw second = copying.empty() ? runApp(folder, "beta") : AppSaw{};
        EXPECT_EQ(second.log.find("was held too long"), std::string::npos) << second.log;
        EXPECT_EQ(second.history, "");
        // A writer's open that waits for no one: it finds a reader only where one waits on the FIFO.
        if (const int writer = kind == "FIFO" ? ::open(store.c_str(), O_WRONLY | O_NONBLOCK) : -1; writer >= 0) {
            ADD_FAILURE() << "a start waits to read the FIFO";
            ::close(writer);
        }
        for (std::optional<std::string> step; step != "ended";)
            ASSERT_TRUE(step = told.next()) << "the first start does not end:\n" << readAll(first.output);
        const int status = testsupport::waitForChild(std::exchange(first.pid, -1));
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << ":\n" << readAll(first.output);

        EXPECT_EQ(namesIn(folder.apps / "alpha"), moved);
        std::set<std::string> left = {"apps"};
        std::set_difference(before.begin(), before.end(), moved.begin(), moved.end(), std::inserter(left, left.end()));
        EXPECT_EQ(namesIn(folder.shared), left);
        for (const auto& [name, bytes] : files)
            EXPECT_EQ(readAll((moved.contains(name) ? folder.apps / "alpha" : folder.shared) / name), bytes) << name;
        // The app's store opened: the record's photo taken over under a temporary's name is
        // at its own name again.
        if (kind == "aside" || kind == "whole tmp-") {
            {
                auto layer = std::make_shared<vistrel::CoreDataLayer>();
                layer->setApplicationDocumentsDirectory(folder.apps / "alpha");
                vistrel::PersistanceController history(layer);
                EXPECT_TRUE(history.retrieveImages());
            }
            EXPECT_EQ(readAll(folder.apps / "alpha" / "page.jpg"),
                      files.at(kind == "aside" ? "page.jpg.aside-3" : "page.jpg.tmp-4"));
        }
    }
    if (!notRun.empty()) GTEST_SKIP() << notRun;
}
