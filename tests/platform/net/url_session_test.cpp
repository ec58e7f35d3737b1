#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "platform/net/url.hpp"
#include "platform/net/url_error.hpp"
#include "net_test_support.hpp"
#include "platform/net/url_session.hpp"
#include "support/loopback_server.hpp"

using namespace std::chrono_literals;
using nettest::Outcome;
using nettest::send;
using platform::net::URLRequest;
using platform::net::URLSession;
using testsupport::CannedAnswer;
using testsupport::LoopbackServer;

TEST(URLTest, OnlyHttpAddressesParseAndQueriesJoin) {
    EXPECT_TRUE(platform::net::validatedHTTPURL("https://example.com/a"));
    for (const char* bad : {"", "ftp://example.com/", "file:///etc/passwd", "http://", "not a url", "/relative"})
        EXPECT_FALSE(platform::net::validatedHTTPURL(bad)) << bad;
    EXPECT_EQ(platform::net::appendingQueryItem("http://h/c?k=v#top", "a=1"), "http://h/c?k=v&a=1#top");
}

// Headers merge by name whatever the case; a large body goes whole and without waiting
// for a "100 Continue" that this server never sends.
TEST(URLSessionTest, AnswerCarriesStatusHeadersAndBodyOnTheDelegateQueue) {
    LoopbackServer server;
    server.answer({404, "gone", {{"X-Reply", "yes"}}});
    URLSession session;
    URLRequest request(server.url());
    request.httpMethod = "POST";
    request.httpBody = std::string(3 << 20, 'x');
    request.addValue("one", "X-Test");
    request.addValue("two", "x-test");
    Outcome outcome = send(session, request);
    EXPECT_TRUE(outcome.onDelegateQueue);
    ASSERT_TRUE(outcome.response);
    EXPECT_EQ(outcome.response->statusCode, 404);
    EXPECT_EQ(outcome.response->valueForHTTPHeaderField("x-reply"), "yes");
    EXPECT_EQ(outcome.data, "gone");
    auto captured = server.requests().at(0);
    EXPECT_EQ(captured.header("X-Test"), "one, two");
    EXPECT_FALSE(captured.header("Expect"));
    EXPECT_EQ(captured.body.size(), std::size_t{3} << 20);
}

// The click report: no body, and an empty answer that still has one.
TEST(URLSessionTest, BodylessPutSendsALengthOfZeroAndNoFormTypeOrExpect) {
    LoopbackServer server;
    URLSession session;
    URLRequest request(server.url("/clicks"));
    request.httpMethod = "PUT";
    Outcome outcome = send(session, request);
    EXPECT_EQ(outcome.data, "");
    auto captured = server.requests().at(0);
    EXPECT_EQ(captured.method, "PUT");
    EXPECT_EQ(captured.header("Content-Length"), "0");
    EXPECT_FALSE(captured.header("Content-Type"));
    EXPECT_FALSE(captured.header("Expect"));
}

TEST(URLSessionTest, TransportFailuresAreErrorValues) {
    LoopbackServer server;
    URLSession session;
    struct Row {
        const char* name;
        CannedAnswer answer;
        std::string url;
        long code;
        std::string header = "";  // a value of an extra header
    };
    std::string refused = "http://127.0.0.1:";
    refused += std::to_string(LoopbackServer::refusedPort());
    std::vector<Row> rows = {
        {"line break in a header", {}, server.url(), platform::net::URLError::badURL, "a\r\nInjected: yes"},
        {"refused", {}, refused, platform::net::URLError::cannotConnectToHost},
        {"reset", {200, "", {}, 0ms, true}, server.url(), platform::net::URLError::networkConnectionLost},
        {"idle", {200, "late", {}, 3000ms, false}, server.url(), platform::net::URLError::timedOut},
        {"scheme", {}, "file:///etc/hostname", platform::net::URLError::unsupportedURL},
        {"redirect to a file", {302, "", {{"Location", "file:///etc/hostname"}}}, server.url(),
         platform::net::URLError::unsupportedURL},
    };
    for (const Row& row : rows) {
        server.answer(row.answer);
        URLRequest request(row.url, 300ms);
        if (!row.header.empty()) request.addValue(row.header, "X-Value");
        Outcome outcome = send(session, request);
        EXPECT_TRUE(row.header.empty() || server.requests().empty()) << "the refused header was sent";
        EXPECT_FALSE(outcome.data) << row.name;
        ASSERT_TRUE(outcome.error) << row.name;
        EXPECT_EQ(outcome.error->code, row.code) << row.name << " " << outcome.error->description();
    }
}

// A redirect is followed to an answer that comes slowly but steadily: 600 ms in all,
// never 300 ms of silence, so the idle time-out does not cut it off.
TEST(URLSessionTest, RedirectToHttpIsFollowedAndASlowSteadyTransferIsNotCutOff) {
    LoopbackServer server;
    server.answerWith([&](const testsupport::CapturedRequest& r) -> CannedAnswer {
        if (r.target == "/to-http") return {302, "", {{"Location", "/final"}}};
        CannedAnswer dribble{200, "steady", {}};
        dribble.pauseBetweenBodyBytes = 100ms;
        return dribble;
    });
    URLSession session;
    Outcome outcome = send(session, URLRequest(server.url("/to-http"), 300ms));
    EXPECT_EQ(outcome.data, "steady");
    EXPECT_EQ(outcome.response->url, server.url("/final"));
}

TEST(URLSessionTest, ManyTransfersAtOnceEachCompleteOnce) {
    LoopbackServer server;
    server.answer({200, "", {}, 50ms});
    std::atomic<int> done{0};
    std::promise<void> all;
    {
        URLSession session;
        for (int i = 0; i < 12; ++i)
            session.dataTask(URLRequest(server.url()), [&](auto data, auto, auto) {
                EXPECT_TRUE(data);
                if (++done == 12) all.set_value();
            })->resume();
        EXPECT_EQ(all.get_future().wait_for(10s), std::future_status::ready);
    }
    EXPECT_EQ(done, 12);
}
