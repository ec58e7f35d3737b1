#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "platform/net/url.hpp"
#include "platform/net/url_error.hpp"
#include "platform/net/url_session.hpp"
#include "support/loopback_server.hpp"

using namespace std::chrono_literals;
using platform::net::URLRequest;
using platform::net::URLSession;
using testsupport::CannedAnswer;
using testsupport::LoopbackServer;

namespace {

struct Outcome {
    std::optional<std::string> data;
    std::optional<platform::net::HTTPURLResponse> response;
    std::optional<platform::Error> error;
    bool onDelegateQueue = false;
};

Outcome send(URLSession& session, URLRequest request) {
    std::promise<Outcome> promise;
    auto queue = session.delegateQueue();
    session.dataTask(std::move(request), [&](auto data, auto response, auto error) {
        promise.set_value({std::move(data), std::move(response), std::move(error), queue.isCurrent()});
    })->resume();
    auto future = promise.get_future();
    EXPECT_EQ(future.wait_for(10s), std::future_status::ready);
    return future.get();
}

}  // namespace

TEST(URLRequestTest, HeadersMergeByNameWhateverTheCase) {
    URLRequest request("http://127.0.0.1/");
    request.addValue("application/json", "Accept");
    request.addValue("x", "Other");
    request.addValue("text/plain", "accept");
    request.setValue("y", "OTHER");
    ASSERT_EQ(request.allHTTPHeaderFields().size(), 2u);
    EXPECT_EQ(request.valueForHTTPHeaderField("ACCEPT"), "application/json, text/plain");
    EXPECT_EQ(request.allHTTPHeaderFields()[1], (std::pair<std::string, std::string>{"Other", "y"}));
}

TEST(URLTest, OnlyHttpAddressesParseAndQueriesJoin) {
    EXPECT_TRUE(platform::net::validatedHTTPURL("https://example.com/a"));
    for (const char* bad : {"", "ftp://example.com/", "file:///etc/passwd", "http://", "not a url", "/relative"})
        EXPECT_FALSE(platform::net::validatedHTTPURL(bad)) << bad;
    EXPECT_EQ(platform::net::appendingQueryItem("http://h/c", "a=1"), "http://h/c?a=1");
    EXPECT_EQ(platform::net::appendingQueryItem("http://h/c?k=v#top", "a=1"), "http://h/c?k=v&a=1#top");
    EXPECT_EQ(platform::net::percentEncodedQueryValue("a b&c=d+e#f/é?"), "a%20b%26c%3Dd%2Be%23f/%C3%A9?");
}

TEST(URLSessionTest, AnswerCarriesStatusHeadersAndBodyOnTheDelegateQueue) {
    LoopbackServer server;
    server.answer({404, "gone", {{"X-Reply", "yes"}}});
    URLSession session;
    URLRequest request(server.url("/path?q=1"));
    request.addValue("one", "X-Test");
    Outcome outcome = send(session, request);
    EXPECT_TRUE(outcome.onDelegateQueue);
    EXPECT_FALSE(outcome.error);
    ASSERT_TRUE(outcome.response);
    EXPECT_EQ(outcome.response->statusCode, 404);
    EXPECT_EQ(outcome.response->valueForHTTPHeaderField("x-reply"), "yes");
    EXPECT_EQ(outcome.data, "gone");
    auto captured = server.requests().at(0);
    EXPECT_EQ(captured.method, "GET");
    EXPECT_EQ(captured.target, "/path?q=1");
    EXPECT_EQ(captured.header("X-Test"), "one");
}

TEST(URLSessionTest, AnEmptyAnswerStillHasABody) {
    LoopbackServer server;
    URLSession session;
    Outcome outcome = send(session, URLRequest(server.url()));
    ASSERT_TRUE(outcome.data);
    EXPECT_EQ(*outcome.data, "");
    EXPECT_EQ(outcome.response->statusCode, 200);
}

TEST(URLSessionTest, BodylessPutSendsALengthOfZeroAndNoFormTypeOrExpect) {
    LoopbackServer server;
    server.answer({204, "", {}});
    URLSession session;
    URLRequest request(server.url("/clicks"));
    request.httpMethod = "PUT";
    Outcome outcome = send(session, request);
    EXPECT_EQ(outcome.response->statusCode, 204);
    auto captured = server.requests().at(0);
    EXPECT_EQ(captured.method, "PUT");
    EXPECT_EQ(captured.header("Content-Length"), "0");
    EXPECT_FALSE(captured.header("Content-Type"));
    EXPECT_FALSE(captured.header("Expect"));
}

TEST(URLSessionTest, LargePostGoesWithoutExpectAndArrivesWhole) {
    LoopbackServer server;
    URLSession session;
    URLRequest request(server.url("/upload"));
    request.httpMethod = "POST";
    request.httpBody = std::string(3 << 20, 'x');
    request.addValue("application/octet-stream", "Content-Type");
    send(session, request);
    auto captured = server.requests().at(0);
    EXPECT_FALSE(captured.header("Expect"));
    EXPECT_EQ(captured.header("Content-Type"), "application/octet-stream");
    EXPECT_EQ(captured.body.size(), std::size_t{3} << 20);
}

TEST(URLSessionTest, TransportFailuresAreErrorValues) {
    LoopbackServer server;
    URLSession session;
    struct Row {
        const char* name;
        CannedAnswer answer;
        std::string url;
        long code;
    };
    std::string refused = "http://127.0.0.1:";
    refused += std::to_string(LoopbackServer::refusedPort());
    std::vector<Row> rows = {
        {"refused", {}, refused, platform::net::URLError::cannotConnectToHost},
        {"reset", {200, "", {}, 0ms, true}, server.url(), platform::net::URLError::networkConnectionLost},
        {"idle", {200, "late", {}, 3000ms, false}, server.url(), platform::net::URLError::timedOut},
        {"scheme", {}, "file:///etc/hostname", platform::net::URLError::unsupportedURL},
    };
    for (const Row& row : rows) {
        server.answer(row.answer);
        URLRequest request(row.url, 300ms);
        auto start = std::chrono::steady_clock::now();
        Outcome outcome = send(session, request);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2500ms) << row.name;
        EXPECT_FALSE(outcome.data) << row.name;
        ASSERT_TRUE(outcome.error) << row.name;
        EXPECT_EQ(outcome.error->domain, platform::net::URLErrorDomain) << row.name;
        EXPECT_EQ(outcome.error->code, row.code) << row.name << " " << outcome.error->description();
    }
}

TEST(URLSessionTest, SlowButSteadyTransferIsNotCutOffByTheIdleTimeOut) {
    LoopbackServer server;
    CannedAnswer dribble{200, "steady", {}};
    dribble.pauseBetweenBodyBytes = 100ms;  // 600 ms in all, never 300 ms of silence
    server.answer(dribble);
    URLSession session;
    Outcome outcome = send(session, URLRequest(server.url(), 300ms));
    EXPECT_EQ(outcome.data, "steady");
}

TEST(URLSessionTest, RedirectsAreFollowedOnlyToHttp) {
    LoopbackServer server;
    server.answerWith([&](const testsupport::CapturedRequest& r) -> CannedAnswer {
        if (r.target == "/to-http") return {302, "", {{"Location", "/final"}}};
        if (r.target == "/to-file") return {302, "", {{"Location", "file:///etc/hostname"}}};
        return {200, "final", {}};
    });
    URLSession session;
    Outcome followed = send(session, URLRequest(server.url("/to-http")));
    EXPECT_EQ(followed.data, "final");
    EXPECT_EQ(followed.response->url, server.url("/final"));
    Outcome refused = send(session, URLRequest(server.url("/to-file")));
    ASSERT_TRUE(refused.error);
    EXPECT_EQ(refused.error->code, platform::net::URLError::unsupportedURL);
}

TEST(URLSessionTest, HeaderWithALineBreakIsNotSent) {
    LoopbackServer server;
    URLSession session;
    URLRequest request(server.url());
    request.addValue("a\r\nInjected: yes", "X-Value");
    Outcome outcome = send(session, request);
    ASSERT_TRUE(outcome.error);
    EXPECT_FALSE(server.waitForRequests(1, 200ms));
}

TEST(URLSessionTest, ManyTransfersAtOnceEachCompleteOnce) {
    LoopbackServer server;
    server.answerWith([](const testsupport::CapturedRequest& r) { return CannedAnswer{200, r.target, {}, 50ms}; });
    std::atomic<int> done{0};
    std::promise<void> all;
    {
        URLSession session;
        for (int i = 0; i < 12; ++i) {
            std::string path = "/";
            path += std::to_string(i);
            session.dataTask(URLRequest(server.url(path)), [&](auto data, auto, auto) {
                EXPECT_TRUE(data);
                if (++done == 12) all.set_value();
            })->resume();
        }
        EXPECT_EQ(all.get_future().wait_for(10s), std::future_status::ready);
    }
    EXPECT_EQ(done, 12);
}
