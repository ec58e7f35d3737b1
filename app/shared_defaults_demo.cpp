#include "shared_defaults_demo.hpp"

#include <stdlib.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "stopped_runs.hpp"
#include "vistrel/core/kit_defaults.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/foundation/property_list.hpp"
#include "vistrel/platform/foundation/user_defaults.hpp"
#include "vistrel/platform/foundation/writers_turns.hpp"
#include "work_folder.hpp"

namespace {

namespace fs = std::filesystem;
using platform::Value;

constexpr std::string_view kChildFlag = "--set-preferences";
constexpr int kKeys = 100;

std::string keyOf(const std::string& name, int i) { return name + "-" + std::to_string(i); }

// How many of the preferences three kit processes set were kept, how many sets were
// refused, and how many of the processes logged that they took turns by another lock than
// the one named by the file.
struct Kept {
    int kept = 0, refused = 0, byAnotherLock = 0;
};

// Three kit processes on the data folder `data`, told to go at the same instant, set 100
// preferences each; what they print (their log) goes beside that folder.
Kept threeKitProcesses(const fs::path& data) {
    testsupport::ProcessSignal ready, go;
    const std::vector<std::string> names = {"first", "second", "third"};
    std::vector<pid_t> children;
    for (const auto& name : names)
        children.push_back(testsupport::startThisProgram(
            {std::string(kChildFlag), data.string(), name, std::to_string(ready.writeEnd), std::to_string(go.readEnd)},
            {}, data.string() + "-" + name + ".out", true));
    for (std::size_t i = 0; i < names.size(); ++i) testsupport::ProcessSignal::waitFor(ready.readEnd);
    for (std::size_t i = 0; i < names.size(); ++i) testsupport::ProcessSignal::give(go.writeEnd);
    Kept counted;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const int status = testsupport::waitForChild(children[i]);
        counted.refused += WIFEXITED(status) ? WEXITSTATUS(status) : kKeys;
        const auto log = platform::readFile(data.string() + "-" + names[i] + ".out", 1u << 20).value_or("");
        counted.byAnotherLock += log.find(" instead") != std::string::npos ? 1 : 0;
    }
    const platform::UserDefaults written(data / (std::string(vistrel::kBundleIdentifier) + ".plist"));
    for (const auto& name : names)
        for (int i = 0; i < kKeys; ++i) counted.kept += written.string(keyOf(name, i)) == "set by " + name ? 1 : 0;
    return counted;
}

// A hard link at the name of the lock of the kit's file, to a preferences file of the
// host's, while three kit processes set preferences at once: the kit's processes never use
// it, taking turns by the next name beside it instead, and the host's file keeps its bytes.
void aHardLinkAtTheLocksName(const fs::path& root) {
    const fs::path data = root / "linked-lock", hostFile = root / "hosts-preferences.plist";
    std::error_code ec;
    fs::create_directories(data, ec);
    platform::Dictionary host;
    host.set("host", Value("the host's own"));
    const std::string hostBytes = *platform::writePropertyListXml(Value(host));
    platform::writeFileAtomically(hostFile, hostBytes);
    const fs::path lock =
        platform::WritersTurns::lockOf(data, data / (std::string(vistrel::kBundleIdentifier) + ".plist"));
    fs::create_hard_link(hostFile, lock, ec);
    const Kept counted = threeKitProcesses(data);
    const int lost = 3 * kKeys - counted.kept;
    std::cout << "   a hard link at the name of the kit's file's lock, to a preferences file of the host's, while "
                 "three kit processes set "
              << kKeys << " preferences each at once: " << counted.byAnotherLock
              << " of 3 say they take turns by the next lock's name instead, "
              << (lost == 0 ? "every preference kept"
                            : std::to_string(lost) + " OF " + std::to_string(3 * kKeys) + " PREFERENCES LOST")
              << ", " << counted.refused << " sets refused; the host's file "
              << (platform::readFile(hostFile, 1u << 20) == hostBytes ? "byte for byte as it was" : "CHANGED")
              << "\n";
}

// A host that rewrites its own file every 2 ms without any lock, as a host's defaults of
// another process do (read, a key of its own added, a new file renamed over), 300 times,
// while the kit sets values in it: how many of the host's writes the kit's writes replaced
// (a write lost is its key missing at the end).
void aHostRenamingItsFile(const fs::path& root) {
    const fs::path file = root / "renamed.plist";
    constexpr int kHostWrites = 300;
    platform::writeFileAtomically(file, *platform::writePropertyListXml(Value(platform::Dictionary{})));
    platform::UserDefaults::resetStandard(file);
    std::atomic<bool> done{false};
    std::thread host([&] {
        for (int write = 1; write <= kHostWrites; ++write) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            auto values = platform::readPropertyList(platform::readFile(file, 1u << 20).value_or(""));
            if (!values || !values->mutableDictionary()) continue;
            values->mutableDictionary()->set("host-" + std::to_string(write), Value("h"));
            platform::writeFileAtomically(file, *platform::writePropertyListXml(*values), 0600);
        }
        done.store(true);
    });
    int sets = 0, setTrue = 0;
    while (!done.load()) {
        setTrue += platform::UserDefaults::standard()->set("kit-" + std::to_string(sets++ % 50), Value("kit")) ? 1 : 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    host.join();
    const auto last = platform::readPropertyList(platform::readFile(file, 1u << 20).value_or(""));
    int lost = 0;
    for (int write = 1; write <= kHostWrites; ++write)
        lost += last && last->dictionary() && last->dictionary()->find("host-" + std::to_string(write)) ? 0 : 1;
    std::cout << "   a host rewriting its own file every 2 ms without taking turns by its lock (" << kHostWrites
              << " writes, read then renamed over) while the kit sets a value every 20 ms (" << sets << " sets, "
              << setTrue << " written at once): " << lost
              << " of the host's writes replaced by the kit's\n";
    platform::UserDefaults::resetStandard();
}

}  // namespace

std::optional<int> runSharedDefaultsChild(int argc, char** argv) {
    if (argc < 6 || argv[1] != kChildFlag) return std::nullopt;
    platform::setLogSink([](std::string_view line) { std::cout << line << '\n'; });  // to its output, for the demo
    ::setenv("VISTREL_HOME", argv[2], 1);
    const std::string name = argv[3];
    const auto defaults = vistrel::kitDefaults();
    testsupport::ProcessSignal::give(std::atoi(argv[4]));
    if (!testsupport::ProcessSignal::waitFor(std::atoi(argv[5]))) return kKeys;
    int failed = 0;
    for (int i = 0; i < kKeys; ++i) failed += defaults->set(keyOf(name, i), Value("set by " + name)) ? 0 : 1;
    return failed;
}

void sharedDefaults(const fs::path& out) {
    const WorkFolder work(out, "shared-preferences");
    const fs::path& root = work.path();
    platform::LogCapture quiet;  // the defaults' own lines
    const Kept counted = threeKitProcesses(root / "kit-processes");
    std::cout << "   three kit processes of one host setting " << kKeys << " preferences each at the same instant: "
              << counted.kept << " of " << 3 * kKeys << " kept, " << counted.refused << " sets refused\n";
    aHostRenamingItsFile(root);
    aHardLinkAtTheLocksName(root);
}
