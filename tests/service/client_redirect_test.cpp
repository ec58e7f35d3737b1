// The kit's two requests carry the API key: they follow a redirect only within their
// service, and one that leads to another origin is a failure of the service.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "service_waiting.hpp"
#include "support/recognition_service.hpp"
#include "vistrel/core/configuration_key.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/service/client.hpp"

using namespace std::chrono_literals;
using testsupport::CannedAnswer;
using testsupport::CapturedRequest;
using vistrel::Client;

namespace {

// Only catches a hang.
constexpr auto kHangBound = 90s;

// What a completion of the kit was called with.
struct Completion {
    std::mutex mutex;
    std::atomic<int> calls = 0;
    std::optional<std::string> data;
    std::optional<platform::Error> error;

    // Kept alive by the callback, which may come after the row that made it.
    static auto callback(const std::shared_ptr<Completion>& completion) {
        return [completion](std::optional<std::string> value, std::optional<platform::Error> failure) {
            {
                std::lock_guard lock(completion->mutex);
                completion->data = std::move(value);
                completion->error = std::move(failure);
            }
            ++completion->calls;
        };
    }
    bool wait() {
        return platform::dispatch::RunLoop::runUntil([&] { return calls > 0; }, kHangBound);
    }
};

struct ClientRedirectTest : ::testing::Test {
    testsupport::RecognitionService service;
    testsupport::LoopbackServer elsewhere{0, "127.0.0.2"};

    void SetUp() override {
        ASSERT_NE(elsewhere.port(), 0);
        elsewhere.answer({200, R"({"images":[]})", {}});
    }
    // The service sends /recognize and /clicks on with `status` to `location`, and answers
    // every other path with `landing`.
    void redirect(int status, const std::string& location, CannedAnswer landing) {
        service.server.answerWith([=](const CapturedRequest& r) -> CannedAnswer {
            if (r.target.starts_with("/recognize") || r.target.starts_with("/clicks"))
                return {status, "moved", {{"Location", location}}};
            return landing;
        });
    }
};

}  // namespace

// Every redirect status to another host, or to another port of the service's host, ends the
// recognition as a failure of the service with that status; nothing goes there. 300 and 305
// are no redirects even to the service itself. Within the service, a 307 or 308 goes on with
// the photo and the key, and its answer is the answer.
TEST_F(ClientRedirectTest, RecognitionFollowsNoRedirectToAnotherOrigin) {
    testsupport::LoopbackServer otherPort;
    otherPort.answer({200, R"({"images":[]})", {}});
    struct Row {
        int status;
        std::string location;
        std::optional<std::string> data;  // none: a failure of the service with the status
    };
    std::vector<Row> rows;
    for (int status : {301, 302, 303, 307, 308}) {
        rows.push_back({status, elsewhere.url("/collect"), std::nullopt});
        rows.push_back({status, otherPort.url("/collect"), std::nullopt});
    }
    for (int status : {300, 305}) rows.push_back({status, service.server.url("/v2"), std::nullopt});
    for (int status : {307, 308}) rows.push_back({status, service.server.url("/v2"), R"({"title":"v2"})"});

    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.status << " to " << row.location);
        redirect(row.status, row.location, {200, R"({"title":"v2"})", {}});
        const std::size_t before = service.server.requests().size();
        auto completion = std::make_shared<Completion>();
        Client::enrichedImage(servicetest::photo(), "image.jpeg", "fr-FR", std::nullopt, Completion::callback(completion));
        ASSERT_TRUE(completion->wait());
        std::lock_guard lock(completion->mutex);
        EXPECT_EQ(completion->data, row.data);
        if (!row.data) {
            ASSERT_TRUE(completion->error);
            EXPECT_EQ(std::tuple(completion->error->domain, completion->error->code),
                      std::tuple("VistrelServiceErrorDomain", row.status));
            continue;
        }
        auto requests = service.server.requests();
        ASSERT_EQ(requests.size(), before + 2);
        EXPECT_EQ(std::tuple(requests.back().target, requests.back().method, requests.back().body,
                             requests.back().header("ApiKey")),
                  std::tuple("/v2", "POST", requests[before].body, testsupport::RecognitionService::apiKey));
    }
    EXPECT_EQ(std::tuple(elsewhere.requests().size(), otherPort.requests().size()), std::tuple(0u, 0u));
}

// The click report redirected to another host fails (logged, no call back) without going
// there, though that host would take it; redirected within the service it goes on with its
// session and key.
TEST_F(ClientRedirectTest, ClickReportFollowsNoRedirectToAnotherOrigin) {
    elsewhere.answer({204, "", {}});
    for (int status : {302, 307}) {
        SCOPED_TRACE(status);
        redirect(status, elsewhere.url("/collect"), {204, "", {}});
        platform::LogCapture log;
        auto completion = std::make_shared<Completion>();
        Client::clicksWithSessionId("S1", "A1", Completion::callback(completion));
        ASSERT_TRUE(platform::dispatch::RunLoop::runUntil(
            [&] { return log.contains("Error: ") || completion->calls > 0; }, kHangBound));
        EXPECT_EQ(completion->calls, 0);
    }
    EXPECT_TRUE(elsewhere.requests().empty());

    redirect(307, service.server.url("/v2"), {204, "", {}});
    auto completion = std::make_shared<Completion>();
    Client::clicksWithSessionId("S1", "A1", Completion::callback(completion));
    ASSERT_TRUE(completion->wait());
    auto landing = service.server.requests().back();
    std::lock_guard lock(completion->mutex);
    EXPECT_EQ(std::tuple(completion->data, landing.target, landing.method, landing.header("SessionId"),
                         landing.header("ApiKey")),
              std::tuple("", "/v2", "PUT", "S1", testsupport::RecognitionService::apiKey));
}
