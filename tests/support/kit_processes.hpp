#pragma once
// Kit processes of one host sharing a data folder, for the tests of its preferences: this
// test program started again, each child running the test `childTest` names, which calls
// setKeysAsAKitProcess. A child opens the kit's preferences, tells it is ready, waits for
// the word to go and sets its keys (meeting its parent at the file step named, if any),
// writes how many sets failed, then (when told to) tells its sets are done and waits for
// the word to end, and ends as a process ends normally.
#include <signal.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "stopped_runs.hpp"
#include "support/temp_dir.hpp"
#include "vistrel/core/kit_defaults.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/user_defaults.hpp"

namespace testsupport {

// What a child is told: "<name> <keys> <ready> <go> <signal> <wait> <done> <end> <meet at>",
// pipe ends by number (-1: none), then the step to meet the parent at ("-": none).
inline constexpr const char* kKitProcessVariable = "VISTREL_PREFERENCES_PROCESS";
inline constexpr const char* kKitProcessResultVariable = "VISTREL_PREFERENCES_RESULT";

// The keys a process sets: its name alone, or "<name>-<number>" for each of many.
inline std::vector<std::string> keysOf(const std::string& name, int keys) {
    if (keys == 1) return {name};
    std::vector<std::string> named;
    for (int i = 0; i < keys; ++i) named.push_back(name + "-" + std::to_string(i));
    return named;
}

// The child's part, as its test.
inline void setKeysAsAKitProcess() {
    const char* child = std::getenv(kKitProcessVariable);
    const char* result = std::getenv(kKitProcessResultVariable);
    if (!child || !result) GTEST_SKIP() << "run by the tests of processes sharing the preferences";
    char name[64], meetAt[64];
    int keys = 0, ready = -1, go = -1, signalFd = -1, waitFd = -1, done = -1, end = -1;
    ASSERT_EQ(std::sscanf(child, "%63s %d %d %d %d %d %d %d %63[^\n]", name, &keys, &ready, &go, &signalFd, &waitFd,
                          &done, &end, meetAt),
              9);
    const auto defaults = vistrel::kitDefaults();
    ProcessSignal::give(ready);
    ASSERT_TRUE(ProcessSignal::waitFor(go));
    if (std::string_view(meetAt) != "-") {
        StepActions actions;
        actions.meetAt = meetAt;
        actions.signalFd = signalFd;
        actions.waitFd = waitFd;
        actAtSteps(actions);
    }
    int failed = 0;
    for (const std::string& key : keysOf(name, keys)) failed += defaults->set(key, platform::Value("set by " + key)) ? 0 : 1;
    stopActingAtSteps();
    std::ofstream(result) << failed;
    if (done >= 0) ProcessSignal::give(done);
    if (end >= 0) {
        ASSERT_TRUE(ProcessSignal::waitFor(end));
    }
}

// Where a child meets its parent: at the first file step of this name, a signal given, then
// one waited for (ProcessSignal ends; -1: none).
struct Meeting {
    std::string at = "-";  // the step, or "-": none
    int signalFd = -1, waitFd = -1;
};

// Kit processes in the folder of a test, its "data" their data folder. Those still running
// when the test ends (it failed early) are stopped before the folder goes.
struct KitProcesses {
    KitProcesses(const TempDir& folder, std::string childTest) : dir(folder), child(std::move(childTest)) {}
    KitProcesses(const KitProcesses&) = delete;
    KitProcesses& operator=(const KitProcesses&) = delete;
    ~KitProcesses() {
        for (auto& [name, pid] : running) stop(name);
    }
    const TempDir& dir;
    std::string child;  // "<suite>.<DISABLED_ test>" that calls setKeysAsAKitProcess
    std::filesystem::path data = dir / "data";
    ProcessSignal ready, go;
    std::map<std::string, pid_t> running;

    // Starts a child; with `done` and `end` given, it tells when its sets are done and
    // waits for the word to end.
    pid_t start(const std::string& name, int keys, Meeting meeting = {}, int done = -1, int end = -1) {
        const std::string told = name + " " + std::to_string(keys) + " " + std::to_string(ready.writeEnd) + " " +
                                 std::to_string(go.readEnd) + " " + std::to_string(meeting.signalFd) + " " +
                                 std::to_string(meeting.waitFd) + " " + std::to_string(done) + " " +
                                 std::to_string(end) + " " + meeting.at;
        return running[name] = startThisProgram(
                   {"--gtest_also_run_disabled_tests", "--gtest_filter=" + child},
                   {"VISTREL_HOME=" + data.string(), "TMPDIR=" + dir.path().string(),
                    std::string(kKitProcessVariable) + "=" + told,
                    std::string(kKitProcessResultVariable) + "=" + (dir / (name + "-result")).string()},
                   dir / (name + "-output"), true);
    }
    // Starts a child and lets it go at once.
    pid_t startNow(const std::string& name, int keys, Meeting meeting = {}, int done = -1, int end = -1) {
        const pid_t pid = start(name, keys, std::move(meeting), done, end);
        EXPECT_TRUE(ProcessSignal::waitFor(ready.readEnd)) << name << " never opened the preferences";
        ProcessSignal::give(go.writeEnd);
        return pid;
    }
    std::string output(const std::string& name) const {
        return platform::readFile(dir / (name + "-output"), 1u << 20).value_or("");
    }
    // How many times a child's output says `fragment` (its log lines among it).
    std::size_t said(const std::string& name, std::string_view fragment) const {
        const std::string text = output(name);
        std::size_t times = 0;
        for (std::size_t at = 0; (at = text.find(fragment, at)) != std::string::npos; at += fragment.size()) ++times;
        return times;
    }
    // Waits for a child to end normally, `failed` of its sets having returned false.
    void expectEnded(const std::string& name, int failed = 0) {
        const int status = waitForChild(std::exchange(running[name], -1));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << name << ", status " << status << ":\n"
                                                                     << output(name);
        EXPECT_EQ(platform::readFile(dir / (name + "-result"), 64), std::to_string(failed))
            << name << ", sets that returned false:\n"
            << output(name);
    }
    // Stops a child dead (SIGKILL): its wait status.
    int stop(const std::string& name) {
        const pid_t pid = std::exchange(running[name], -1);
        if (pid > 0) ::kill(pid, SIGKILL);
        return waitForChild(pid);
    }
    // Starts a child that sets a key and is stopped (SIGSTOP) in its turn at writing the
    // kit's file, that file just put in place: a holder stopped dead.
    pid_t startStoppedHolder(const std::string& name) {
        ProcessSignal held, never;
        const pid_t holder = startNow(name, 1, {"write: renamed", held.writeEnd, never.readEnd});
        EXPECT_TRUE(ProcessSignal::waitFor(held.readEnd)) << name << " never wrote:\n" << output(name);
        EXPECT_EQ(::kill(holder, SIGSTOP), 0);
        return holder;
    }
    // The kit's file of the processes.
    std::filesystem::path kitFile() const { return data / (std::string(vistrel::kBundleIdentifier) + ".plist"); }
};

}  // namespace testsupport
