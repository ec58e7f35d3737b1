// Transfers whose name lookup does not return: the lookup counts against the request's
// time-outs and holds no other transfer of the session, nor the session's end.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <string>

#include "loopback_server.hpp"
#include "net_test_support.hpp"
#include "slow_lookup.hpp"
#include "vistrel/platform/net/url_error.hpp"
#include "vistrel/platform/net/url_session.hpp"

using namespace std::chrono_literals;
using nettest::Outcome;
using platform::net::URLRequest;
using platform::net::URLSession;
namespace URLError = platform::net::URLError;
namespace slowlookup = nettest::slowlookup;

namespace {

// Only catches a hang: far longer than any row takes, far shorter than a stalled lookup.
constexpr auto kHangBound = 90s;

// Lets stalled lookups go when it goes; made after a session, it goes before the session
// ends, so a session that would wait for its lookups fails its row instead of hanging.
struct Release {
    ~Release() { slowlookup::release(kHangBound); }
};

// Stalled lookups are let go at the end at the latest.
struct URLSessionLookupTest : ::testing::Test {
    void SetUp() override { slowlookup::rearm(); }
    void TearDown() override { EXPECT_TRUE(slowlookup::release(kHangBound)); }

    // Starts the request on the session; its outcome comes in the future.
    static std::future<Outcome> start(URLSession& session, URLRequest request) {
        auto promise = std::make_shared<std::promise<Outcome>>();
        session.dataTask(std::move(request), [promise](auto data, auto response, auto error) {
            promise->set_value({std::move(data), std::move(response), std::move(error), false});
        })->resume();
        return promise->get_future();
    }

    static std::string slowURL() { return std::string("http://") + slowlookup::slowHost + "/recognize"; }
};

}  // namespace

// Each row's lookup stalls for minutes; its request ends at the row's time-out (the idle
// one, or the one on the whole exchange) while the lookup is still held, and then a
// transfer to a live server on the same session goes through at once.
TEST_F(URLSessionLookupTest, AStalledLookupEndsAtTheTimeOutAndHoldsNoOtherTransfer) {
    testsupport::LoopbackServer live;
    live.answer({200, "live", {}});
    URLSession session;
    Release release;
    URLRequest idle(slowURL(), 1s);
    URLRequest deadline(slowURL(), 10min);
    deadline.totalTimeoutInterval = 1s;
    struct Row {
        const char* name;
        URLRequest request;
    };
    int lookups = 0;
    for (const Row& row : {Row{"idle time-out", idle}, Row{"deadline", deadline}}) {
        SCOPED_TRACE(row.name);
        auto slow = start(session, row.request);
        ASSERT_TRUE(slowlookup::waitForBegun(++lookups, kHangBound));
        ASSERT_EQ(slow.wait_for(kHangBound), std::future_status::ready) << "the transfer waited for its lookup";
        Outcome outcome = slow.get();
        EXPECT_GE(slowlookup::held(), 1);
        ASSERT_TRUE(outcome.error);
        EXPECT_EQ(std::tuple(outcome.data.has_value(), outcome.error->code), std::tuple(false, URLError::timedOut))
            << outcome.error->description();

        auto other = start(session, URLRequest(live.url("/icon"), 10min));
        ASSERT_EQ(other.wait_for(kHangBound), std::future_status::ready) << "another transfer was held";
        EXPECT_EQ(other.get().data, "live");
    }
}

// A session ends without waiting for a lookup of its own that has not returned: the
// transfer ends cancelled, and another transfer started beside it is not held meanwhile.
TEST_F(URLSessionLookupTest, ASessionEndsWithoutWaitingForAStalledLookup) {
    testsupport::LoopbackServer live;
    live.answer({200, "live", {}});
    auto session = std::make_unique<URLSession>();
    Release release;
    const int lookups = slowlookup::begun();
    auto slow = start(*session, URLRequest(slowURL(), 10min));
    ASSERT_TRUE(slowlookup::waitForBegun(lookups + 1, kHangBound));
    auto other = start(*session, URLRequest(live.url("/icon"), 10min));
    ASSERT_EQ(other.wait_for(kHangBound), std::future_status::ready) << "another transfer was held";
    EXPECT_EQ(other.get().data, "live");

    auto ending = std::async(std::launch::async, [&] { session.reset(); });
    if (ending.wait_for(kHangBound) != std::future_status::ready) {
        ADD_FAILURE() << "the session waited for its lookup";
        slowlookup::release(kHangBound);
    }
    ending.get();
    ASSERT_EQ(slow.wait_for(kHangBound), std::future_status::ready);
    Outcome outcome = slow.get();
    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(outcome.error->code, URLError::cancelled);
}
