#include "stopped_writer_demo.hpp"

#include <signal.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "demo_measures.hpp"
#include "stopped_runs.hpp"
#include "vistrel/core/kit_defaults.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/core/vistrel_pref.hpp"
#include "vistrel/entry/vistrel.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/foundation/user_defaults.hpp"
#include "work_folder.hpp"

namespace {

namespace fs = std::filesystem;
using platform::Value;

constexpr std::string_view kChildFlag = "--preferences-turn";
constexpr const char* kKey = "the key set at start";

// How many times this process began to wait for another holder of a lock.
int gWaits = 0;
void countWaits(std::string_view step) { gWaits += step == "lock: waiting for another holder" ? 1 : 0; }

// The time `work` took and the waits it began, as the child's output: "SECONDS WAITS".
template <typename Work>
void timed(Work&& work) {
    gWaits = 0;
    platform::setFileStepObserver(&countWaits);
    const auto start = DemoClock::now();
    work();
    const double took = secondsSince(start);
    platform::setFileStepObserver(nullptr);
    std::cout << took << ' ' << gWaits << ' ' << std::flush;
}

// What a child told of its call: how long it took, and how many waits it began.
struct Told {
    double seconds = -1;
    int waits = -1;
    std::string rest;
};

Told toldBy(const fs::path& output) {
    Told told;
    std::ifstream in(output);
    in >> told.seconds >> told.waits;
    std::getline(in >> std::ws, told.rest);
    return told;
}

fs::path kitFileIn(const fs::path& data) { return data / (std::string(vistrel::kBundleIdentifier) + ".plist"); }

}  // namespace

std::optional<int> runStoppedWriterChild(int argc, char** argv) {
    if (argc < 5 || argv[1] != kChildFlag) return std::nullopt;
    platform::setLogSink([](std::string_view) {});
    const std::string_view role = argv[2];
    const int signalFd = std::atoi(argv[3]), waitFd = std::atoi(argv[4]);
    if (role == "holder") {
        // Held in its turn, the kit's file just put in place: the parent stops it there.
        testsupport::StepActions actions;
        actions.meetAt = "write: renamed";
        actions.signalFd = signalFd;
        actions.waitFd = waitFd;
        testsupport::actAtSteps(actions);
        vistrel::kitDefaults()->set("holder", Value("set by the stopped process"));
        return 0;
    }
    if (role == "host" && argc > 5) {
        platform::UserDefaults::resetStandard(fs::path(argv[5]));
        bool written = false;
        timed([&] { written = platform::UserDefaults::standard()->set("host", Value("the host's")); });
        std::cout << written << std::flush;
        return 0;
    }
    if (role != "key") return 1;
    vistrel::kitDefaults();  // opened as a host's first use opens it
    timed([] { vistrel::Vistrel::setApiKey(kKey); });
    std::cout << (vistrel::VistrelPref::getApiKey() == kKey) << std::flush;
    // Its sets done, it ends normally when told to: what they kept is written as it ends.
    testsupport::ProcessSignal::give(signalFd);
    testsupport::ProcessSignal::waitFor(waitFd);
    return 0;
}

void stoppedWriter(const fs::path& out) {
    const WorkFolder work(out, "stopped-writer");
    const fs::path& root = work.path();
    const fs::path data = root / "data", hostFile = root / "preferences.plist";
    std::error_code ec;
    fs::create_directories(data, ec);
    const auto start = [&](const std::string& role, int signalFd, int waitFd) {
        std::vector<std::string> arguments = {std::string(kChildFlag), role, std::to_string(signalFd),
                                              std::to_string(waitFd)};
        if (role == "host") arguments.push_back(hostFile.string());
        return testsupport::startThisProgram(std::move(arguments),
                                             {"VISTREL_HOME=" + data.string(), "TMPDIR=" + root.string()},
                                             root / (role + ".out"), false);
    };
    testsupport::ProcessSignal held, never, done, end;
    const pid_t holder = start("holder", held.writeEnd, never.readEnd);
    const bool holds = testsupport::ProcessSignal::waitFor(held.readEnd) && ::kill(holder, SIGSTOP) == 0;
    std::cout << "   a kit process stopped dead (SIGSTOP) in its turn at writing the kit's preferences file: ";
    if (!holds) {
        std::cout << "IT NEVER TOOK ITS TURN\n";
        ::kill(holder, SIGKILL);
        testsupport::waitForChild(holder);
        return;
    }
    testsupport::waitForChild(start("host", -1, -1));
    const Told host = toldBy(root / "host.out");
    const bool hostWritten = host.rest == "1" && platform::UserDefaults(hostFile).string("host") == "the host's";
    std::cout << "another process's set of the host's standard defaults "
              << (hostWritten ? "written at once, in " : "NOT WRITTEN, after ") << seconds(host.seconds)
              << (host.waits == 0 ? " (no wait)" : " (AFTER " + std::to_string(host.waits) + " WAITS)")
              << "; Vistrel::setApiKey in a third process ";
    const pid_t key = start("key", done.writeEnd, end.readEnd);
    if (testsupport::ProcessSignal::waitFor(done.readEnd)) {
        const Told set = toldBy(root / "key.out");
        std::cout << (set.waits <= 1 ? "returns after " : "RETURNS AFTER ") << set.waits
                  << (set.waits == 1 ? " wait" : " WAITS") << ", in " << seconds(set.seconds)
                  << (set.rest == "1" ? ", its key read back at once" : ", ITS KEY NOT READ BACK")
                  << (platform::UserDefaults(kitFileIn(data)).string("apiKey") == kKey
                          ? ", AND WRITTEN IN THE STOPPED PROCESS'S TURN"
                          : ", not written yet")
                  << "\n";
    } else {
        std::cout << "NEVER RETURNS\n";
    }
    ::kill(holder, SIGKILL);
    testsupport::waitForChild(holder);
    testsupport::ProcessSignal::give(end.writeEnd);
    const int status = testsupport::waitForChild(key);
    const platform::UserDefaults written(kitFileIn(data));
    const bool normal = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    std::cout << "   the stopped process then killed, the third ends "
              << (normal ? "normally" : "ABNORMALLY (status " + std::to_string(status) + ")")
              << ": the kit's file holds "
              << (written.string("apiKey") == kKey ? "its key" : "NOT ITS KEY")
              << (written.boolValue("useBlackAndWhite") && written.string("applicationInstanceId")
                      ? " and its first run's values"
                      : ", NOT ITS FIRST RUN'S VALUES")
              << (written.string("holder") ? ", beside the stopped process's value" : "") << "\n";
}
