#include "vistrel/platform/foundation/file_lock.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string_view>
#include <thread>

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

}  // namespace
