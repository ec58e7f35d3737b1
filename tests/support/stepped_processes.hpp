#pragma once
// Processes run against each other one step at a time: each is this very program started
// again (support/stopped_runs.hpp), told its runs over a pipe by its parent, and stopped
// at every file step it passes (platform::fileStep), where it tells the parent the step
// and waits until the parent lets it go on. The parent lets one go on at a time, in the
// order StepOrders chooses among those that can go on, and looks at what they share at
// every step, all of them stopped.
//
// The lines a child tells: "ready" (its run is set up, nothing of it done), "step\t<where>
// \t<step>" (stopped just after the step, or just before a wait it names; <where> is what
// the child last set, such as the part of its run it is doing) and "done\t<what it tells>".
// The parent's lines: a run, as the child reads it; "go" (on to the next step); and the end
// of its pipe when there is nothing more.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "step_orders.hpp"
#include "stopped_runs.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"

namespace testsupport {

// The steps told before a wait for another process: the actor that tells one can go on only
// once the other has let go of that lock (the store's write lock, a file lock's turn).
inline constexpr std::string_view kStoreWaitStep = "store: waiting for another host's write";
inline constexpr std::string_view kFileLockWaitStep = "lock: waiting for another holder";

// The limit of each test (tests/CMakeLists.txt), which allows for the sanitizers' slowness.
inline constexpr std::chrono::seconds kTestLimit{VISTREL_TEST_TIMEOUT};
// How long the parent waits for a stepped child's next line, and for its end once its pipe
// is closed. A step takes milliseconds (a second or so under the sanitizers, ten times
// that on busy cores), and an end as long, so these only catch a child stopped or hanging.
// An eighth of the limit each (15 s in a release build, under the sanitizers 112 s): a
// hang is said, with where, well within the limit, even one of each in the same test.
inline constexpr std::chrono::milliseconds kStepBound = std::chrono::milliseconds(kTestLimit) / 8;
inline constexpr std::chrono::milliseconds kEndBound = std::chrono::milliseconds(kTestLimit) / 8;
static_assert(kStepBound + kEndBound <= kTestLimit / 4);

// Lines read from a pipe, each waited for within the bound, which only catches a hang.
class LineReader {
public:
    explicit LineReader(int fd, std::chrono::milliseconds bound = ProcessSignal::waitBound) : fd_(fd), bound_(bound) {}
    // The next line, without its end; none at the end of the pipe or past the bound.
    std::optional<std::string> next() {
        for (;;) {
            if (const auto end = buffer_.find('\n'); end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return line;
            }
            pollfd ready{fd_, POLLIN, 0};
            const int bound = static_cast<int>(bound_.count());
            int polled;
            while ((polled = ::poll(&ready, 1, bound)) < 0 && errno == EINTR) {
            }
            if (polled != 1) return std::nullopt;
            char bytes[4096];
            ssize_t got;
            while ((got = ::read(fd_, bytes, sizeof bytes)) < 0 && errno == EINTR) {
            }
            if (got <= 0) return std::nullopt;
            buffer_.append(bytes, static_cast<std::size_t>(got));
        }
    }

private:
    int fd_;
    std::chrono::milliseconds bound_;
    std::string buffer_;
};

// Writes the line and its end; false when the other end is gone. A write to a pipe whose
// reader is gone raises SIGPIPE, which would end the writer (the test program itself,
// writing to a child that died) without a word of where: the signal is held back for the
// write and the one it raised taken, so that the write only fails.
inline bool writeLine(int fd, std::string_view line) {
    std::string bytes(line);
    bytes += '\n';
    sigset_t pipeSignal, before, pending;
    ::sigemptyset(&pipeSignal);
    ::sigaddset(&pipeSignal, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &pipeSignal, &before);
    const bool pendingBefore = ::sigpending(&pending) == 0 && ::sigismember(&pending, SIGPIPE) == 1;
    bool written = true, readerGone = false;
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            written = false;
            readerGone = n < 0 && errno == EPIPE;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (readerGone && !pendingBefore) {
        const timespec none{};
        while (::sigtimedwait(&pipeSignal, nullptr, &none) < 0 && errno == EINTR) {
        }
    }
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    return written;
}

// The child's end, the two pipe ends named by the variable the parent set ("<read> <write>").
class ParentLink {
public:
    // None when the variable is not set (the program was not started as a stepped process).
    static std::optional<ParentLink> fromEnvironment(const char* variable) {
        const char* ends = std::getenv(variable);
        int commands = -1, reports = -1;
        if (!ends || std::sscanf(ends, "%d %d", &commands, &reports) != 2) return std::nullopt;
        return ParentLink(commands, reports);
    }
    // The parent's next line; none once it has no more.
    std::optional<std::string> receive() { return commands_.next(); }
    void tell(std::string_view line) {
        // A parent gone has nothing more for this process to do.
        if (!writeLine(reports_, line)) std::_Exit(2);
    }
    // Waits for the parent's "go".
    void waitToGoOn() {
        const std::optional<std::string> line = receive();
        if (!line || *line != "go") std::_Exit(2);
    }

private:
    ParentLink(int commands, int reports) : commands_(commands), reports_(reports) {}
    LineReader commands_;
    int reports_;
};

namespace detail {
inline ParentLink* gSteppedBy = nullptr;
inline std::string gStepWhere;
inline void tellStepAndWait(std::string_view step) {
    std::string line = "step\t";
    line += gStepWhere;
    line += '\t';
    line += step;
    gSteppedBy->tell(line);
    gSteppedBy->waitToGoOn();
}
}  // namespace detail

// From now on, until stopSteppingAtFileSteps, this process stops at every file step and
// tells it to its parent, with `where` as setStepWhere last set it. The kit is told that
// its steps stop the process: a wait of its for what the other does is the step alone,
// and what the other did meanwhile is looked at once after it (platform::fileStepsStop).
inline void stepAtEachFileStep(ParentLink& parent) {
    detail::gSteppedBy = &parent;
    platform::setFileStepObserver(&detail::tellStepAndWait, /*stops=*/true);
}
inline void setStepWhere(std::string where) { detail::gStepWhere = std::move(where); }
inline void stopSteppingAtFileSteps() { platform::setFileStepObserver(nullptr); }

// The parent's end of one stepped child, started with the arguments and variables given
// (see startThisProgram), its output into `output`, and the pipe ends named in `variable`.
// The child ends once this is destroyed (the end of its pipe), within `endBound`, or is
// said to hang and stopped.
class SteppedProcess {
public:
    SteppedProcess(std::vector<std::string> arguments, std::vector<std::string> variables,
                   std::filesystem::path output, const char* variable,
                   std::chrono::milliseconds stepBound = kStepBound, std::chrono::milliseconds endBound = kEndBound)
        : output_(std::move(output)), stepBound_(stepBound), endBound_(endBound) {
        int commands[2], reports[2];
        if (::pipe2(commands, O_CLOEXEC) != 0) return;
        if (::pipe2(reports, O_CLOEXEC) != 0) {
            ::close(commands[0]), ::close(commands[1]);
            return;
        }
        // Only the child's own ends are inherited: a child that holds another's ends would
        // keep that one's pipe open past its end.
        ::fcntl(commands[0], F_SETFD, 0);
        ::fcntl(reports[1], F_SETFD, 0);
        variables.push_back(std::string(variable) + "=" + std::to_string(commands[0]) + " " +
                            std::to_string(reports[1]));
        child_ = startThisProgram(std::move(arguments), std::move(variables), output_, true);
        ::close(commands[0]);
        ::close(reports[1]);
        commands_ = commands[1];
        reports_ = reports[0];
        reader_.emplace(reports_, stepBound_);
    }
    ~SteppedProcess() {
        if (commands_ >= 0) ::close(commands_);
        // A child stopped (SIGSTOP) goes on to read the end of its pipe, and ends. Only a
        // stopped one is let go on: SIGCONT discards a stop signal pending, and the leak
        // checker stops a program at its exit by such a signal as it attaches to it, whose
        // loss leaves the two waiting on each other for ever.
        if (child_ > 0 && isStopped(child_)) ::kill(child_, SIGCONT);
        // It has nothing left to do: one that does not end within its bound is hung at its
        // exit, and is said so, where it was, and stopped.
        if (child_ > 0 && !endsWithin(endBound_)) {
            ADD_FAILURE() << "a stepped host did not end once its pipe was closed; its threads were waiting in:\n"
                          << waitsOf(child_) << "its output:\n" << output();
            ::kill(child_, SIGKILL);
        }
        waitForChild(child_);
        if (reports_ >= 0) ::close(reports_);
    }
    SteppedProcess(const SteppedProcess&) = delete;
    SteppedProcess& operator=(const SteppedProcess&) = delete;

    bool started() const { return child_ > 0; }
    pid_t pid() const { return child_; }
    std::chrono::milliseconds stepBound() const { return stepBound_; }
    bool send(std::string_view line) { return commands_ >= 0 && writeLine(commands_, line); }
    // The child's next line; none when it has ended or hangs past its step bound (it is then
    // stopped, so that the end of the test does not wait for it).
    std::optional<std::string> receive() {
        auto line = reader_ ? reader_->next() : std::nullopt;
        if (!line && child_ > 0) ::kill(child_, SIGKILL);
        return line;
    }
    // What the child wrote (its log), for a failure's message.
    std::string output() const { return platform::readFile(output_, 1u << 20).value_or(""); }

private:
    // Whether the child ends within the bound (told by a handle on it, which reads once it
    // has); true when no handle can be had, for then the wait is waitpid's own.
    bool endsWithin(std::chrono::milliseconds bound) const {
        const int handle = static_cast<int>(::syscall(SYS_pidfd_open, child_, 0));
        if (handle < 0) return true;
        pollfd ended{handle, POLLIN, 0};
        int polled;
        while ((polled = ::poll(&ended, 1, static_cast<int>(bound.count()))) < 0 && errno == EINTR) {
        }
        ::close(handle);
        return polled == 1;
    }
    // Whether the process is stopped by a signal (not by a tracer, not running).
    static bool isStopped(pid_t process) {
        const auto stat = platform::readFile("/proc/" + std::to_string(process) + "/stat", 1024).value_or("");
        const auto end = stat.rfind(')');
        return end != std::string::npos && stat.compare(end, 3, ") T") == 0;
    }
    // What each thread of the process waits in, a line each.
    static std::string waitsOf(pid_t process) {
        std::string lines;
        std::error_code ec;
        const std::filesystem::path tasks = "/proc/" + std::to_string(process) + "/task";
        for (const auto& task : std::filesystem::directory_iterator(tasks, ec)) {
            lines += "  " + task.path().filename().string() + " " +
                     platform::readFile(task.path() / "wchan", 256).value_or("?") + " " +
                     platform::readFile(task.path() / "stat", 1024).value_or("?") + "\n";
        }
        return lines;
    }

    std::filesystem::path output_;
    std::chrono::milliseconds stepBound_, endBound_;
    pid_t child_ = -1;
    int commands_ = -1, reports_ = -1;
    std::optional<LineReader> reader_;
};

// Where an actor of a run stands: stopped at a step (`where` it was, the step's name), or
// done, with what it told at the end.
struct ActorAt {
    std::string where, step;
    bool done = false;
    std::string told;
};

// What one order of a run went through: the steps each actor came to, a line each
// ("<actor letter> <where>: <step>"), where each actor ended, and what went wrong with the
// run itself (an actor gone or hanging, or none able to go on), if anything.
struct OrderRun {
    std::vector<std::string> steps;
    std::vector<ActorAt> at;
    std::optional<std::string> broken;
};

// Runs one order of actors that have each been told their run and said "ready": the one
// StepOrders chooses among those that `canGoOn` goes on to its next step, until every one is
// done. `atEachPoint` looks at what they share at the start and after every step, every
// actor stopped.
inline OrderRun runOneOrder(const std::vector<SteppedProcess*>& actors, StepOrders& orders,
                            const std::function<bool(const ActorAt&)>& canGoOn,
                            const std::function<void(const std::vector<ActorAt>&)>& atEachPoint) {
    OrderRun run;
    std::vector<ActorAt>& at = run.at;
    at.resize(actors.size());
    for (;;) {
        atEachPoint(at);
        std::vector<int> ready;
        bool allDone = true;
        for (std::size_t i = 0; i < at.size(); ++i) {
            allDone = allDone && at[i].done;
            if (!at[i].done && canGoOn(at[i])) ready.push_back(static_cast<int>(i));
        }
        if (allDone) return run;
        if (ready.empty()) {
            run.broken = "no actor can go on: each waits for a lock that none lets go";
            return run;
        }
        const int chosen = orders.choose(ready);
        const auto line = actors[chosen]->send("go") ? actors[chosen]->receive() : std::nullopt;
        const std::string name(1, static_cast<char>('a' + chosen));
        if (!line) {
            run.broken = name + " ended, or hung past " + std::to_string(actors[chosen]->stepBound().count()) +
                         " ms, going on from " +
                         (at[chosen].step.empty() ? std::string("its start") : at[chosen].where + ": " + at[chosen].step) +
                         " in the order " + orders.order() + "; its output:\n" + actors[chosen]->output();
            return run;
        }
        ActorAt& actor = at[chosen];
        if (line->starts_with("done\t")) {
            actor = {actor.where, "", true, line->substr(5)};
            run.steps.push_back(name + " done: " + actor.told);
            continue;
        }
        const auto tab = line->find('\t', 5);
        if (!line->starts_with("step\t") || tab == std::string::npos) {
            run.broken = name + " told what no actor tells: " + *line;
            return run;
        }
        actor.where = line->substr(5, tab - 5);
        actor.step = line->substr(tab + 1);
        run.steps.push_back(name + " " + actor.where + ": " + actor.step);
    }
}

// Whether another process could take the lock of the file this instant (flock), without
// waiting; true when there is no lock file.
inline bool fileLockIsFree(const std::filesystem::path& lockFile) {
    const int fd = ::open(lockFile.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);  // lets it go
    return free;
}

}  // namespace testsupport
