#pragma once
// Runs stopped dead, for the tests and the demo: this very program run again as a child
// (which stops itself, or meets another child, at the file step it is told), and a folder
// made to look as the next launch, an hour later, finds what the stopped run left.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "vistrel/platform/foundation/file_steps.hpp"

extern char** environ;

namespace testsupport {

// Starts this program with the arguments (after its own name) and the environment
// variables ("NAME=value") added to this process's (in place of its own of those names), its standard output (and its errors,
// with `errorsToo`) into `output`. Gives the child, or -1 when it could not start. Its
// name (its first argument, which names the program it runs as) is `programName`.
inline pid_t startThisProgram(std::vector<std::string> arguments, std::vector<std::string> variables,
                              const std::filesystem::path& output, bool errorsToo,
                              std::string programName = "/proc/self/exe") {
    arguments.insert(arguments.begin(), std::move(programName));
    std::vector<char*> argv, environment;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    // A variable given takes the place of this process's own of that name.
    const auto given = [&](std::string_view variable) {
        const auto name = variable.substr(0, variable.find('=') + 1);
        for (const auto& mine : variables)
            if (std::string_view(mine).starts_with(name)) return true;
        return false;
    };
    for (char** variable = environ; *variable; ++variable)
        if (!given(*variable)) environment.push_back(*variable);
    for (auto& variable : variables) environment.push_back(variable.data());
    environment.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (errorsToo) posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, "/proc/self/exe", &actions, nullptr, argv.data(), environment.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? child : -1;
}

// The wait status of a child started above, once it has ended; -1 for no child.
inline int waitForChild(pid_t child) {
    int status = -1;
    if (child <= 0) return status;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// Runs this program as above and gives its wait status, or -1 when it could not start.
inline int runThisProgram(std::vector<std::string> arguments, std::vector<std::string> variables,
                          const std::filesystem::path& output, bool errorsToo) {
    return waitForChild(startThisProgram(std::move(arguments), std::move(variables), output, errorsToo));
}

// A signal one process gives others: a pipe made before the children start, both ends
// inherited by them (named by their numbers). What a signal is waited for is a bound
// that catches a hang, never a pace: a run goes on past it and then fails its checks.
struct ProcessSignal {
    static constexpr std::chrono::minutes waitBound{2};
    int readEnd = -1, writeEnd = -1;

    ProcessSignal() {
        int ends[2];
        if (::pipe(ends) == 0) readEnd = ends[0], writeEnd = ends[1];
    }
    ~ProcessSignal() {
        for (int end : {readEnd, writeEnd})
            if (end >= 0) ::close(end);
    }
    ProcessSignal(const ProcessSignal&) = delete;
    ProcessSignal& operator=(const ProcessSignal&) = delete;

    static void give(int writeEnd) {
        const char byte = 1;
        while (::write(writeEnd, &byte, 1) < 0 && errno == EINTR) {
        }
    }
    // True once a signal came (and is taken), false when the bound passed first.
    static bool waitFor(int readEnd) {
        pollfd ready{readEnd, POLLIN, 0};
        int polled;
        while ((polled = ::poll(&ready, 1, static_cast<int>(std::chrono::milliseconds(waitBound).count()))) < 0 &&
               errno == EINTR) {
        }
        char byte = 0;
        return polled == 1 && ::read(readEnd, &byte, 1) == 1;
    }
};

// What this process does at the file steps it passes (platform::fileStep), set once before
// the writes it watches start.
struct StepActions {
    int tellFd = -1;  // every step told there as it passes, a line each (unbuffered: the run may end at the next)
    int stopAt = 0;   // the step (counted from 1) this process stops dead at (SIGKILL); 0: none
    // At the first step of this name (empty: the first step whatever it is), once, or at
    // every one with `meetEachTime`: a signal given, then one waited for (ProcessSignal
    // ends; -1: none).
    std::string meetAt;
    int signalFd = -1, waitFd = -1;
    bool meetEachTime = false;
};

namespace detail {
inline StepActions gStepActions;
inline int gStepsPassed = 0;
inline bool gMet = false;

inline void actAtStep(std::string_view step) {
    const StepActions& actions = gStepActions;
    if (actions.tellFd >= 0) {
        std::string line(step);
        line += '\n';
        [[maybe_unused]] const ssize_t told = ::write(actions.tellFd, line.data(), line.size());
    }
    if (++gStepsPassed == actions.stopAt) ::raise(SIGKILL);
    if ((!gMet || actions.meetEachTime) && (actions.signalFd >= 0 || actions.waitFd >= 0) && (actions.meetAt.empty() || step == actions.meetAt)) {
        gMet = true;
        if (actions.signalFd >= 0) ProcessSignal::give(actions.signalFd);
        if (actions.waitFd >= 0) ProcessSignal::waitFor(actions.waitFd);
    }
}
}  // namespace detail

// From now on this process acts at each file step as `actions` say (none: nothing).
inline void actAtSteps(StepActions actions) {
    detail::gStepActions = std::move(actions);
    detail::gStepsPassed = 0;
    detail::gMet = false;
    platform::setFileStepObserver(&detail::actAtStep);
}
inline void stopActingAtSteps() { platform::setFileStepObserver(nullptr); }

// What a new launch an hour later finds: every entry of the folder changed since is an
// hour older (its modification time; its access time is left alone).
inline void ageByAnHour(const std::filesystem::path& folder) {
    const time_t anHourAgo = ::time(nullptr) - 3600;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        struct stat st {};
        if (::lstat(entry.path().c_str(), &st) != 0 || st.st_mtim.tv_sec <= anHourAgo) continue;
        const timespec times[2] = {{0, UTIME_OMIT}, {anHourAgo, 0}};
        ::utimensat(AT_FDCWD, entry.path().c_str(), times, AT_SYMLINK_NOFOLLOW);
    }
}

}  // namespace testsupport
