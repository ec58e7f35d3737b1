#include "vistrel/platform/foundation/file_lock.hpp"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "stopped_runs.hpp"
#include "support/stepped_processes.hpp"
#include "support/temp_dir.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"

namespace {

std::optional<platform::FileLock> gHeld;
int gWaitsTold = 0;

// A wait for another holder is told before it starts, and its bound counts from there: a
// process stopped at that step for longer than the bound (a test stepping two processes
// lets the other go on meanwhile) still takes the lock once the other lets it go.
TEST(FileLockTest, AWaitIsBoundFromWhereItIsTold) {
    testsupport::TempDir dir;
    const auto file = dir / "writers.lock";
    gHeld = platform::FileLock::take(file, std::chrono::milliseconds(0));
    ASSERT_TRUE(gHeld);
    gWaitsTold = 0;
    platform::setFileStepObserver([](std::string_view step) {
        if (step != "lock: waiting for another holder") return;
        ++gWaitsTold;
        // Stopped here past the bound, while the other holder finishes and lets go.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        gHeld.reset();
    });
    platform::FileLock::Failure failure{};
    const auto taken = platform::FileLock::take(file, std::chrono::milliseconds(20), &failure);
    platform::setFileStepObserver(nullptr);
    EXPECT_TRUE(taken);
    EXPECT_EQ(gWaitsTold, 1);

    // Held, it is waited for within the bound, then not had.
    EXPECT_FALSE(platform::FileLock::take(file, std::chrono::milliseconds(20), &failure));
    EXPECT_EQ(failure, platform::FileLock::Failure::timedOut);
}

// The pipes of a run of this program started again (support/stepped_processes.hpp).
constexpr const char* kHeldFolderVariable = "VISTREL_HELD_FOLDER_RUN";

// The child: a run that makes its folder (its first, so it sweeps first, its parent's
// folders among what it finds), with a folder in it, tells its name and waits until its
// parent is done with it, or kills it.
TEST(TempDirTest, DISABLED_RunHoldingItsFolder) {
    auto parent = testsupport::ParentLink::fromEnvironment(kHeldFolderVariable);
    if (!parent) GTEST_SKIP() << "run by AFolderOfAKilledRunGoesAtTheNextSweepAndOneOfALiveRunStays";
    testsupport::TempDir dir;
    dir.write("inside/file", "x");
    parent->tell(dir.path().filename().string());
    parent->receive();
}

// Of the folders TempDirs made in one folder, a sweep removes the one of a run killed, and
// leaves those of a live run and of the sweeping process itself; nor does a run started
// by this process, as it sweeps, take this process's folder, nor a forked child's end let
// go of its hold.
TEST(TempDirTest, AFolderOfAKilledRunGoesAtTheNextSweepAndOneOfALiveRunStays) {
    testsupport::TempDir area;
    const testsupport::TempDir own(area.path());
    const auto start = [&](std::optional<testsupport::SteppedProcess>& run, const std::string& name) {
        run.emplace(std::vector<std::string>{"--gtest_also_run_disabled_tests",
                                             "--gtest_filter=TempDirTest.DISABLED_RunHoldingItsFolder"},
                    std::vector<std::string>{"TMPDIR=" + area.path().string()}, area / (name + "-output"),
                    kHeldFolderVariable);
        return run->receive();
    };
    std::optional<testsupport::SteppedProcess> killed, live;
    const auto killedFolder = start(killed, "killed");
    ASSERT_TRUE(killedFolder) << killed->output();
    const auto liveFolder = start(live, "live");
    ASSERT_TRUE(liveFolder) << live->output();
    ASSERT_TRUE(std::filesystem::exists(own.path())) << "a run this process started took its folder";
    ::kill(killed->pid(), SIGKILL);
    siginfo_t ended{};
    ::waitid(P_PID, static_cast<id_t>(killed->pid()), &ended, WEXITED | WNOWAIT);
    const pid_t forked = ::fork();
    ASSERT_GE(forked, 0);
    if (forked == 0) ::_exit(0);
    testsupport::waitForChild(forked);

    testsupport::removeFoldersOfGoneRuns(area.path());
    EXPECT_FALSE(std::filesystem::exists(area / *killedFolder));
    EXPECT_TRUE(std::filesystem::exists(area / *liveFolder / "inside" / "file"));
    EXPECT_TRUE(std::filesystem::exists(own.path()));

    live.reset();  // it ends, and removes its folder
    EXPECT_FALSE(std::filesystem::exists(area / *liveFolder));
}

}  // namespace
