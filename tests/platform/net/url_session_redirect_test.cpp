// Redirects of requests kept to their service, seen on the wire.
#include <gtest/gtest.h>

#include <string>

#include "loopback_server.hpp"
#include "net_test_support.hpp"
#include "vistrel/platform/net/url_session.hpp"

using nettest::Outcome;
using nettest::send;
using platform::net::RedirectPolicy;
using platform::net::URLRequest;
using platform::net::URLSession;
using testsupport::CannedAnswer;
using testsupport::CapturedRequest;
using testsupport::LoopbackServer;

// A request kept to its service follows a redirect to the same origin (with its headers and
// body when the status keeps them) and none to another port or another host, whatever the
// status: that answer stands as it came, and nothing reaches the other server. A second hop
// that leaves the service is refused the same way.
TEST(URLSessionRedirectTest, ARequestKeptToItsServiceFollowsNoRedirectElsewhere) {
    LoopbackServer origin, otherPort, otherHost(0, "127.0.0.2");
    ASSERT_NE(otherHost.port(), 0);
    for (LoopbackServer* server : {&otherPort, &otherHost}) server->answer({200, "{}", {}});
    URLSession session;
    for (int status : {301, 302, 303, 307, 308}) {
        for (LoopbackServer* target : {&origin, &otherPort, &otherHost}) {
            for (bool secondHop : {false, true}) {
                SCOPED_TRACE(testing::Message() << status << " to " << target->url("/landing") << " second hop "
                                                << secondHop);
                origin.answerWith([&](const CapturedRequest& r) -> CannedAnswer {
                    if (r.target == "/start")
                        return {status, "moved", {{"Location", secondHop ? "/again" : target->url("/landing")}}};
                    if (r.target == "/again") return {status, "moved again", {{"Location", target->url("/landing")}}};
                    return {200, "landed", {}};
                });
                const std::size_t before = target->requests().size();
                URLRequest request(origin.url("/start"));
                request.httpMethod = "POST";
                request.httpBody = "photo-bytes";
                request.redirectPolicy = RedirectPolicy::sameServiceOnly;
                request.addValue("secret", "ApiKey");
                Outcome outcome = send(session, request);
                ASSERT_TRUE(outcome.response) << (outcome.error ? outcome.error->description() : "");

                if (target != &origin) {
                    EXPECT_EQ(std::tuple(outcome.data, outcome.response->statusCode, outcome.response->url,
                                         target->requests().size()),
                              std::tuple(secondHop ? "moved again" : "moved", status,
                                         origin.url(secondHop ? "/again" : "/start"), before));
                    continue;
                }
                const bool keepsBody = status >= 307;
                auto landing = origin.requests().back();
                EXPECT_EQ(std::tuple(outcome.data, landing.target, landing.method, landing.body, landing.header("ApiKey")),
                          std::tuple("landed", "/landing", keepsBody ? "POST" : "GET", keepsBody ? "photo-bytes" : "",
                                     std::optional<std::string>("secret")));
            }
        }
    }
}

// 300 and 305 are followed by no request, whatever its policy: the answer stands, and
// neither the address it names nor the proxy it asks for is reached.
TEST(URLSessionRedirectTest, MultipleChoicesAndUseProxyStandAsTheyCame) {
    LoopbackServer origin, elsewhere;
    elsewhere.answer({200, "elsewhere", {}});
    URLSession session;
    for (int status : {300, 305}) {
        for (RedirectPolicy policy : {RedirectPolicy::anywhere, RedirectPolicy::sameServiceOnly}) {
            for (const std::string& location : {origin.url("/landing"), elsewhere.url("/")}) {
                SCOPED_TRACE(testing::Message() << status << " to " << location);
                origin.answer({status, "choose", {{"Location", location}}});
                const std::size_t before = origin.requests().size();
                URLRequest request(origin.url("/start"));
                request.redirectPolicy = policy;
                Outcome outcome = send(session, request);
                ASSERT_TRUE(outcome.response);
                EXPECT_EQ(std::tuple(outcome.data, outcome.response->statusCode, origin.requests().size()),
                          std::tuple("choose", status, before + 1));
            }
        }
    }
    EXPECT_TRUE(elsewhere.requests().empty());
}
