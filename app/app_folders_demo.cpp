#include "app_folders_demo.hpp"

#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "link_limit.hpp"
#include "noisy_picture.hpp"
#include "stopped_runs.hpp"
#include "vistrel/core/data_directory.hpp"
#include "vistrel/core/vistrel_pref.hpp"
#include "vistrel/entry/vistrel.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/user_defaults.hpp"
#include "vistrel/store/persistance_controller.hpp"
#include "work_folder.hpp"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kChildFlag = "--as-an-app";
constexpr std::string_view kNone = "-";
constexpr std::string_view kTakenOver = "taken over into ";

// Where apps are started from: the kit's shared folder under XDG_DATA_HOME `xdg`, or, for
// an earlier version, the kit's data folder `home` itself.
struct Place {
    fs::path xdg, home;
};

// An app started, and what it saw: its data folder, its key, its scans' identifiers (each
// followed by a space), and how many times its log says it took an earlier folder over.
struct App {
    std::string name;
    pid_t pid = -1;
    fs::path result, output;
    std::string folder, key, scans;
    std::size_t tookOver = 0;
    bool endedWell = false;
};

// Starts the demo as the app `name`: it sets `key` and records `record` ("-": none), after
// signalling `ready` and waiting on `go` (-1: at once).
App startApp(const fs::path& root, const Place& place, const std::string& name, const std::string& key,
             const std::string& record, int ready = -1, int go = -1) {
    static int started = 0;
    App app;
    app.name = name;
    app.result = root / ("app-" + std::to_string(++started) + ".result");
    app.output = root / ("app-" + std::to_string(started) + ".out");
    std::vector<std::string> variables = {"TMPDIR=" + (root / "tmp").string()};
    if (!place.home.empty()) variables.push_back("VISTREL_HOME=" + place.home.string());
    else variables.insert(variables.end(), {"VISTREL_HOME=", "XDG_DATA_HOME=" + place.xdg.string()});
    app.pid = testsupport::startThisProgram(
        {std::string(kChildFlag), app.result.string(), key, record, std::to_string(ready), std::to_string(go)},
        std::move(variables), app.output, true, name);
    return app;
}

// Waits for the app to end, and reads what it saw.
App& finish(App& app) {
    const int status = testsupport::waitForChild(app.pid);
    app.endedWell = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    std::ifstream lines(app.result);
    std::getline(lines, app.folder);
    std::getline(lines, app.key);
    std::getline(lines, app.scans);
    const std::string log = platform::readFile(app.output, 1u << 20).value_or("");
    for (auto at = log.find(kTakenOver); at != std::string::npos; at = log.find(kTakenOver, at + 1)) ++app.tookOver;
    return app;
}

App runApp(const fs::path& root, const Place& place, const std::string& name, const std::string& key,
           const std::string& record) {
    App app = startApp(root, place, name, key, record);
    return finish(app);
}

// "alpha's key" and "alpha-scan": what the app `name` sets and records.
std::string keyOf(const std::string& name) { return name + "'s key"; }
std::string scanOf(const std::string& name) { return name + "-scan"; }

// Two apps, one after the other, each set its key and record a scan; then each starts again
// and reads back its key and lists its scans.
void twoApps(const fs::path& root) {
    const Place place{root / "xdg", {}};
    const std::vector<std::string> names = {"alpha", "beta"};
    for (const std::string& name : names) runApp(root, place, name, keyOf(name), scanOf(name));
    std::cout << "two programs, alpha and beta, each set its key and record a scan, then start again:";
    for (const std::string& name : names) {
        const App app = runApp(root, place, name, std::string(kNone), std::string(kNone));
        std::cout << (name == names.front() ? " " : "; ") << name << " reads back "
                  << (app.key == keyOf(name) ? "its own key" : "THE KEY \"" + app.key + "\"") << " and lists "
                  << (app.scans == scanOf(name) + " " ? "its own scan only" : "THE SCANS \"" + app.scans + "\"")
                  << ", in " << fs::path(app.folder).lexically_relative(place.xdg).string()
                  << (app.endedWell ? "" : " (IT FAILED)");
    }
    std::cout << "\n";
}

// A shared folder as an earlier version left it, laid out by the kit itself (its
// preferences with a key, a store with a record and its photo); two apps started at once
// over it. One takes it all over, the other starts empty, and nothing is deleted.
void anEarlierSharedFolder(const fs::path& root) {
    const Place place{root / "earlier-xdg", {}};
    const fs::path shared = place.xdg / "vistrel";
    const std::string earlierKey = keyOf("the earlier version");
    runApp(root, {{}, shared}, "earlier-version", earlierKey, scanOf("earlier"));
    // What it left, but for the writers' locks, which are no data.
    std::vector<std::string> entries;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(shared, ec))
        if (entry.path().extension() != ".lock") entries.push_back(entry.path().filename().string());
    const std::string photoName = scanOf("earlier") + ".jpg";
    const auto photo = platform::readFile(shared / photoName, 64u << 20);

    testsupport::ProcessSignal ready, go;
    std::vector<App> apps;
    for (const std::string name : {"alpha", "beta"})
        apps.push_back(startApp(root, place, name, std::string(kNone), std::string(kNone), ready.writeEnd, go.readEnd));
    for (std::size_t i = 0; i < apps.size(); ++i) testsupport::ProcessSignal::waitFor(ready.readEnd);
    for (std::size_t i = 0; i < apps.size(); ++i) testsupport::ProcessSignal::give(go.writeEnd);
    std::vector<const App*> takers;
    for (App& app : apps)
        if (finish(app).key == earlierKey) takers.push_back(&app);
    std::cout << "an earlier version's shared folder (its preferences with a key, a store with a record and its photo, "
                 "laid out by the kit), two apps started at once: ";
    if (takers.size() != 1) {
        std::cout << (takers.empty() ? "NO APP TAKES IT OVER" : "BOTH TAKE IT OVER") << "\n";
        return;
    }
    const App& taker = *takers.front();
    std::cout << taker.name << " takes it over, reading the earlier key and listing "
              << (taker.scans == scanOf("earlier") + " " ? "the earlier scan" : "THE SCANS \"" + taker.scans + "\"")
              << (taker.tookOver == 1 ? " (a line of its log says so)" : " (ITS LOG DOES NOT SAY SO ONCE)");
    for (const App& app : apps) {
        if (&app == &taker) continue;
        const bool empty = app.key.empty() && app.scans.empty() && app.tookOver == 0;
        std::cout << "; " << app.name << (empty ? " starts empty" : " DOES NOT START EMPTY");
    }
    int moved = 0;
    for (const std::string& entry : entries)
        moved += fs::exists(fs::symlink_status(fs::path(taker.folder) / entry)) &&
                         !fs::exists(fs::symlink_status(shared / entry))
                     ? 1
                     : 0;
    const bool photoWhole = photo && platform::readFile(fs::path(taker.folder) / photoName, 64u << 20) == photo;
    std::cout << "; nothing deleted: " << moved << " of " << entries.size() << " entries moved into "
              << fs::path(taker.folder).lexically_relative(place.xdg).string()
              << (photoWhole ? ", the photo byte for byte" : ", THE PHOTO NOT AS IT WAS") << "\n";
}

// A host named like the kit, whose own data folder is the kit's shared one, keeps its
// standard defaults, a picture and an "Events" folder there; another app starts for the
// first time, then the host. Neither takes a file of the host's.
void aHostNamedLikeTheKit(const fs::path& root) {
    const Place place{root / "host-xdg", {}};
    const fs::path shared = place.xdg / "vistrel";
    std::error_code ec;
    fs::create_directories(shared / "Events", ec);
    platform::UserDefaults(shared / "preferences.plist").set("theme", platform::Value("dark"));
    std::ofstream(shared / "cover.jpg") << "the host's cover picture";
    std::ofstream(shared / "Events" / "holidays.txt") << "the host's holidays";
    const std::vector<std::string> files = {"preferences.plist", "cover.jpg", "Events/holidays.txt"};
    std::vector<std::optional<std::string>> before;
    for (const std::string& file : files) before.push_back(platform::readFile(shared / file, 1u << 20));
    const App other = runApp(root, place, "alpha", std::string(kNone), std::string(kNone));
    const App host = runApp(root, place, "vistrel", std::string(kNone), std::string(kNone));
    std::size_t kept = 0;
    for (std::size_t i = 0; i < files.size(); ++i) kept += before[i] && platform::readFile(shared / files[i], 1u << 20) == before[i];
    std::cout << "a host named vistrel keeps preferences.plist, cover.jpg and Events/ in its own data folder, the kit's "
                 "shared one; alpha starts, then the host: "
              << (kept == files.size() ? "the host keeps its " : "THE HOST KEEPS ONLY ") << kept << " of "
              << files.size() << " files"
              << (other.tookOver + host.tookOver == 0 ? ", nothing taken over" : ", BUT ONE TOOK THEM OVER")
              << (other.endedWell && host.endedWell ? "" : " (AN APP FAILED)") << "\n";
}

// What an earlier version left under the store's name that a takeover must not open
// blindly or read in part: a FIFO beside a photo, and a backup of the shared folder that
// kept the store's log but not the log's index, so that the last scans only the log holds.
void anEarlierStoreOddlyLeft(const fs::path& root) {
    const Place fifoPlace{root / "fifo-xdg", {}};
    const fs::path fifoShared = fifoPlace.xdg / "vistrel";
    std::error_code ec;
    fs::create_directories(fifoShared, ec);
    std::ofstream(fifoShared / "page.jpg") << "a picture";
    const bool made = ::mkfifo((fifoShared / "VistrelData.sqlite").c_str(), 0600) == 0;
    const auto started = std::chrono::steady_clock::now();
    const App first = runApp(root, fifoPlace, "alpha", std::string(kNone), std::string(kNone));
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    std::cout << "a FIFO named as the earlier store, beside a photo: alpha's first start "
              << (first.endedWell && made ? "ends" : "FAILS") << " in " << took.count() << " ms, the FIFO and the photo "
              << (fs::exists(fs::symlink_status(fifoShared / "VistrelData.sqlite")) && fs::exists(fifoShared / "page.jpg")
                      ? "left where they are"
                      : "TAKEN")
              << "\n";

    // The earlier version's scans, three launches of it; a process of it that stays open
    // keeps them in the store's log.
    const fs::path earlier = root / "earlier-live" / "vistrel";
    fs::create_directories(earlier, ec);
    auto layer = std::make_shared<vistrel::CoreDataLayer>();
    layer->setApplicationDocumentsDirectory(earlier);
    if (!layer->managedObjectContext()) return;
    const std::vector<std::string> scans = {"first", "second", "third"};
    for (const std::string& scan : scans) runApp(root, {{}, earlier}, "earlier-version", std::string(kNone), scan);
    const Place place{root / "backup-xdg", {}};
    const fs::path shared = place.xdg / "vistrel";
    fs::create_directories(shared, ec);
    for (const auto& entry : fs::directory_iterator(earlier, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with("-shm") || name.ends_with(".lock") || name.ends_with(".plist")) continue;
        fs::copy_file(entry.path(), shared / name, ec);
    }
    layer.reset();
    const bool logOnly = fs::exists(shared / "VistrelData.sqlite-wal") && !fs::exists(shared / "VistrelData.sqlite-shm");
    const App taker = runApp(root, place, "alpha", std::string(kNone), std::string(kNone));
    int photos = 0, listed = 0;
    for (const std::string& scan : scans) {
        photos += fs::exists(fs::path(taker.folder) / (scan + ".jpg")) ? 1 : 0;
        listed += taker.scans.find(scan + " ") != std::string::npos ? 1 : 0;
    }
    std::cout << "a backup of an earlier version's folder with the store's log but not its index"
              << (logOnly ? "" : " (NOT LAID OUT)") << ": alpha takes it over listing " << listed << " of "
              << scans.size() << " scans, " << photos << " with their photos\n";
}

// Earlier stores the kit cannot read as they are: one whose records' table is a view of a
// query without end, beside a photo and a temporary named as a photo's (a user's picture
// being written); and one that cannot be linked to be read (as many links as its file
// system allows), beside its photo and the kit's key, which it reads from a copy.
void anEarlierStoreNotToBeRead(const fs::path& root) {
    const Place viewPlace{root / "view-xdg", {}};
    const fs::path viewShared = viewPlace.xdg / "vistrel";
    std::error_code ec;
    fs::create_directories(viewShared, ec);
    sqlite3* db = nullptr;
    const bool view = sqlite3_open((viewShared / "VistrelData.sqlite").c_str(), &db) == SQLITE_OK &&
                      sqlite3_exec(db, "CREATE VIEW VistrelImage AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                                       "SELECT i + 1 FROM n) SELECT i AS identifier FROM n",
                                   nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    std::ofstream(viewShared / "page.jpg") << "a picture";
    std::ofstream(viewShared / "cover.jpg.tmp-5") << "a user's picture being written";
    const auto started = std::chrono::steady_clock::now();
    const App first = runApp(root, viewPlace, "alpha", std::string(kNone), std::string(kNone));
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    const fs::path alpha = first.folder;
    std::cout << "an earlier store whose records are a view without end, beside a photo and cover.jpg.tmp-5: alpha's "
                 "first start "
              << (first.endedWell && view ? "ends" : "FAILS") << " in " << took.count() << " ms, "
              << (fs::exists(alpha / "VistrelData.sqlite") && fs::exists(alpha / "page.jpg")
                      ? "taking the store with the photo, as one it cannot read"
                      : "NOT TAKING THE STORE WITH THE PHOTO")
              << ", the temporary "
              << (fs::exists(viewShared / "cover.jpg.tmp-5") ? "left where it is" : "TAKEN") << "\n";

    const Place place{root / "unlinked-xdg", {}};
    const fs::path shared = place.xdg / "vistrel";
    runApp(root, {{}, shared}, "earlier-version", keyOf("the earlier version"), scanOf("earlier"));
    const bool unlinked = testsupport::linkToTheLimit(shared / "VistrelData.sqlite", root / "store-links");
    const App taker = runApp(root, place, "alpha", std::string(kNone), std::string(kNone));
    fs::remove_all(root / "store-links", ec);
    const fs::path taking = taker.folder;
    const bool taken = fs::exists(taking / "VistrelData.sqlite") && fs::exists(taking / (scanOf("earlier") + ".jpg")) &&
                       !fs::exists(shared / "VistrelData.sqlite");
    std::cout << "an earlier store that cannot be linked to be read"
              << (unlinked ? " (as many links as its file system allows)"
                           : " (NOT LAID OUT: no bound to its links here)")
              << ", beside its photo and the kit's key: alpha reads it from a copy and "
              << (taker.key == keyOf("the earlier version") ? "takes the key" : "DOES NOT TAKE THE KEY") << ", "
              << (taken ? "the store with its photo" : "NOT THE STORE WITH ITS PHOTO") << ", listing "
              << (taker.scans.find(scanOf("earlier") + " ") != std::string::npos ? "its scan" : "NOT ITS SCAN")
              << "\n";
}

}  // namespace

std::optional<int> runAppFolderChild(int argc, char** argv) {
    if (argc < 7 || argv[1] != kChildFlag) return std::nullopt;
    const std::string key = argv[3], record = argv[4];
    if (const int ready = std::atoi(argv[5]), go = std::atoi(argv[6]); ready >= 0) {
        testsupport::ProcessSignal::give(ready);
        if (!testsupport::ProcessSignal::waitFor(go)) return 1;
    }
    if (key != kNone) vistrel::Vistrel::setApiKey(key);
    auto history = std::make_shared<vistrel::PersistanceController>();
    if (record != kNone &&
        !history->loadOrCreateVistrelImage("doc-" + record, record, "a page", testsupport::noisyPicture(1, 32, 16),
                                           vistrel::Date(std::chrono::seconds(1'700'000'000))))
        return 1;
    std::string identifiers;
    for (const auto& image : history->retrieveImages().value_or(vistrel::VistrelImages{}))
        identifiers += image->identifier().value_or("?") + " ";
    std::ofstream(argv[2]) << vistrel::dataDirectory().string() << '\n'
                           << vistrel::VistrelPref::getApiKey().value_or("") << '\n'
                           << identifiers << '\n';
    platform::dispatch::RunLoop::runUntilIdle();
    return 0;
}

void appFolders(const fs::path& out) {
    std::cout << "\n== each app its own data folder under the kit's shared one (XDG_DATA_HOME in the output folder, "
                 "VISTREL_HOME unset; the demo started again as apps of other names)\n";
    const WorkFolder work(out, "app-folders");
    std::error_code ec;
    fs::create_directories(work.path() / "tmp", ec);
    twoApps(work.path());
    anEarlierSharedFolder(work.path());
    aHostNamedLikeTheKit(work.path());
    anEarlierStoreOddlyLeft(work.path());
    anEarlierStoreNotToBeRead(work.path());
}
