#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "loopback_server.hpp"
#include "net_test_support.hpp"
#include "vistrel/platform/net/url.hpp"
#include "vistrel/platform/net/url_error.hpp"
#include "vistrel/platform/net/url_session.hpp"

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
        // Only the idle row has a short time-out; its server stays silent far longer.
        std::chrono::milliseconds timeout = URLRequest::defaultTimeoutInterval;
    };
    std::string refused = "http://127.0.0.1:";
    refused += std::to_string(LoopbackServer::refusedPort());
    std::vector<Row> rows = {
        {"line break in a header", {}, server.url(), platform::net::URLError::badURL, "a\r\nInjected: yes"},
        {"refused", {}, refused, platform::net::URLError::cannotConnectToHost},
        {"reset", {200, "", {}, 0ms, true}, server.url(), platform::net::URLError::networkConnectionLost},
        {"idle", {200, "late", {}, 60s, false}, server.url(), platform::net::URLError::timedOut, "", 300ms},
        {"scheme", {}, "file:///etc/hostname", platform::net::URLError::unsupportedURL},
        {"redirect to a file", {302, "", {{"Location", "file:///etc/hostname"}}}, server.url(),
         platform::net::URLError::unsupportedURL},
        {"redirect loop", {302, "", {{"Location", "/"}}}, server.url(), platform::net::URLError::httpTooManyRedirects},
    };
    for (const Row& row : rows) {
        server.answer(row.answer);
        URLRequest request(row.url, row.timeout);
        if (!row.header.empty()) request.addValue(row.header, "X-Value");
        Outcome outcome = send(session, request);
        EXPECT_TRUE(row.header.empty() || server.requests().empty()) << "the refused header was sent";
        EXPECT_FALSE(outcome.data) << row.name;
        ASSERT_TRUE(outcome.error) << row.name;
        EXPECT_EQ(outcome.error->code, row.code) << row.name << " " << outcome.error->description();
    }
}

// A redirect is followed to an answer that comes slowly but steadily: 61 bytes, each
// after 150 ms of silence, over 9 s in all. That is more than twice the idle time-out of
// 4 s, so a time-out counted from the start would end it, while no stall of a loaded
// machine comes near 4 s of silence.
TEST(URLSessionTest, RedirectToHttpIsFollowedAndASlowSteadyTransferIsNotCutOff) {
    const std::string body = "steady: one byte at a time, slowly, for longer than the idle.";
    LoopbackServer server;
    server.answerWith([&](const testsupport::CapturedRequest& r) -> CannedAnswer {
        if (r.target == "/to-http") return {302, "", {{"Location", "/final"}}};
        CannedAnswer dribble{200, body, {}};
        dribble.pauseBetweenBodyBytes = 150ms;
        return dribble;
    });
    URLSession session;
    Outcome outcome = send(session, URLRequest(server.url("/to-http"), 4s));
    EXPECT_EQ(outcome.data, body);
    EXPECT_EQ(outcome.response->url, server.url("/final"));
}

// Redirects: the request's own headers and body go on to the same origin only. Elsewhere
// (another host, or another port of the same host) the next request carries none of
// them, and a redirect that would keep the body (307, 308) is not followed: its answer
// is the answer. 303, and 301 or 302 after a POST, go on as a GET without a body.
TEST(URLSessionTest, RedirectsCarryTheRequestsHeadersAndBodyToTheSameOriginOnly) {
    LoopbackServer origin, otherPort, otherHost(0, "127.0.0.2");
    ASSERT_NE(otherHost.port(), 0);
    for (LoopbackServer* server : {&otherPort, &otherHost}) server->answer({200, "landed", {}});
    URLSession session;
    for (int status : {301, 302, 303, 307, 308}) {
        for (LoopbackServer* target : {&origin, &otherPort, &otherHost}) {
            SCOPED_TRACE(testing::Message() << status << " to " << target->url("/landing"));
            origin.answerWith([&](const testsupport::CapturedRequest& r) -> CannedAnswer {
                if (r.target == "/start") return {status, "moved", {{"Location", target->url("/landing")}}};
                return {200, "landed", {}};
            });
            const std::size_t before = target->requests().size();
            URLRequest request(origin.url("/start"));
            request.httpMethod = "POST";
            request.httpBody = "photo-bytes";
            request.addValue("secret", "ApiKey");
            request.addValue("text/plain", "Content-Type");
            Outcome outcome = send(session, request);

            const bool sameOrigin = target == &origin, keepsBody = status >= 307;
            if (!sameOrigin && keepsBody) {
                EXPECT_EQ(std::tuple(outcome.data, outcome.response->statusCode, target->requests().size()),
                          std::tuple("moved", status, before));
                continue;
            }
            EXPECT_EQ(std::tuple(outcome.data, outcome.response->url), std::tuple("landed", target->url("/landing")));
            auto landing = target->requests().back();
            EXPECT_EQ(std::tuple(landing.target, landing.method, landing.body, landing.header("ApiKey"),
                                 landing.header("Content-Type")),
                      std::tuple("/landing", keepsBody ? "POST" : "GET", keepsBody ? "photo-bytes" : "",
                                 sameOrigin ? std::optional<std::string>("secret") : std::nullopt,
                                 sameOrigin && keepsBody ? std::optional<std::string>("text/plain") : std::nullopt));
        }
    }
}

// The cap on an answer's body: a declared length over it is refused before any of the
// body comes (here it would take minutes to come), a chunked body is cut where it passes
// the cap; a body of exactly the cap comes whole either way.
TEST(URLSessionTest, BodiesOverTheCapAreRefused) {
    LoopbackServer server;
    URLSession session;
    for (bool chunked : {false, true}) {
        for (std::size_t size : {1000, 1001, 200000}) {
            SCOPED_TRACE(testing::Message() << size << (chunked ? " chunked" : " declared"));
            CannedAnswer answer{200, std::string(size, 'x'), {}};
            answer.chunked = chunked;
            if (!chunked && size > 1000) answer.pauseBetweenBodyBytes = 60s;
            server.answer(answer);
            URLRequest request(server.url());
            request.maxResponseBytes = 1000;
            Outcome outcome = send(session, request);
            if (size == 1000) {
                EXPECT_EQ(outcome.data, answer.body);
                continue;
            }
            EXPECT_FALSE(outcome.data);
            ASSERT_TRUE(outcome.error);
            EXPECT_EQ(outcome.error->code, platform::net::URLError::dataLengthExceedsMaximum);
            EXPECT_NE(outcome.error->description().find("limit of 1000 bytes"), std::string::npos)
                << outcome.error->description();
        }
    }
}

// A total time-out ends an answer that keeps coming, too steadily for the idle time-out
// to end it (30 s in all, a byte every 10 ms).
TEST(URLSessionTest, TotalTimeoutEndsADrippingAnswer) {
    LoopbackServer server;
    CannedAnswer drip{200, std::string(3000, 'x'), {}};
    drip.pauseBetweenBodyBytes = 10ms;
    server.answer(drip);
    URLSession session;
    URLRequest request(server.url());
    request.totalTimeoutInterval = 300ms;
    Outcome outcome = send(session, request);
    EXPECT_FALSE(outcome.data);
    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(outcome.error->code, platform::net::URLError::timedOut);
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
        EXPECT_EQ(all.get_future().wait_for(2min), std::future_status::ready);  // catches a hang only
    }
    EXPECT_EQ(done, 12);
}
