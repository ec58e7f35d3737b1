// The click report's bounds on its answer: its size and the time the whole exchange takes.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "support/recognition_service.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/service/client.hpp"

using namespace std::chrono_literals;
using testsupport::CannedAnswer;
using vistrel::Client;

namespace {

struct ClickReportTest : ::testing::Test {
    testsupport::RecognitionService service;
    void TearDown() override { Client::setClickReportDeadline(std::nullopt); }
};

}  // namespace

// An answer over 16 MB ends the report as a failure (logged, no call back): at once when its
// declared length says so (its body would take hours to come), where it passes the cap when
// it comes in chunks. An answer that drips on for minutes ends at the exchange's deadline,
// though bytes keep coming; only that row has a short deadline.
TEST_F(ClickReportTest, AnAnswerOverTheCapOrPastTheDeadlineIsAFailure) {
    struct Row {
        const char* name;
        CannedAnswer answer;
        std::optional<std::chrono::milliseconds> deadline;
        std::string errorLine;
    };
    const std::string overCap(Client::maxAnswerBytes + 1, ' ');
    const std::vector<Row> rows = {
        {"over the cap, declared", {200, overCap, {}, 0ms, false, 60s}, std::nullopt, "limit of 16777216 bytes"},
        {"over the cap, chunked", {200, overCap, {}, 0ms, false, 0ms, true}, std::nullopt, "limit of 16777216 bytes"},
        {"dripping past the deadline", {200, std::string(1200, 'x'), {}, 0ms, false, 100ms}, 1s,
         "total time-out of 1000 ms"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Client::setClickReportDeadline(row.deadline);
        service.server.answer(row.answer);
        platform::LogCapture log;
        auto calls = std::make_shared<std::atomic<int>>(0);
        Client::clicksWithSessionId("S1", "A1", [calls](auto, auto) { ++*calls; });
        ASSERT_TRUE(platform::dispatch::RunLoop::runUntil([&] { return log.contains("Error: "); }, 90s));
        EXPECT_EQ(std::tuple(log.contains(row.errorLine), calls->load()), std::tuple(true, 0));
    }
    EXPECT_EQ(Client::clickReportDeadline(), 1s);
    Client::setClickReportDeadline(std::nullopt);
    EXPECT_EQ(Client::clickReportDeadline(), 60s);
}
