#include <gtest/gtest.h>

#include "platform/foundation/log.hpp"
#include "service/client.hpp"
#include "service_waiting.hpp"
#include "support/recognition_service.hpp"

using namespace std::chrono_literals;
using testsupport::CannedAnswer;
using vistrel::Client;
using vistrel::ConfigurationKey;

TEST(ClickReportTest, AnswersEscapingAndRefusals) {
    testsupport::RecognitionService service;
    struct Row {
        const char* name;
        std::string sessionId;
        std::string actionId;
        std::string clicksPath;  // the configured address's path and query
        CannedAnswer answer;
        std::optional<std::string> target;      // none: nothing is sent
        std::optional<std::string> completion;  // none: not called
    };
    std::vector<Row> rows = {
        {"204", "S1", "A1", "/clicks", {204, "", {}}, "/clicks?actionId=A1", ""},
        {"200 is a failure", "S1", "A1", "/clicks", {200, "ok", {}}, "/clicks?actionId=A1", std::nullopt},
        {"500", "S1", "A1", "/clicks", {500, "", {}}, "/clicks?actionId=A1", std::nullopt},
        {"escaped", "S1", "a&b=c+d#e f/é", "/clicks", {204, "", {}}, "/clicks?actionId=a%26b%3Dc%2Bd%23e%20f/%C3%A9", ""},
        {"existing query", "S1", "A1", "/clicks?app=7", {204, "", {}}, "/clicks?app=7&actionId=A1", ""},
        {"line break in the session", "S1\r\nX-Injected: 1", "A1", "/clicks", {}, std::nullopt, std::nullopt},
        {"empty session", "", "A1", "/clicks", {}, std::nullopt, std::nullopt},
        {"empty action", "S1", "", "/clicks", {}, std::nullopt, std::nullopt},
    };
    std::size_t sent = 0;
    for (const Row& row : rows) {
        service.set(ConfigurationKey::sdkClicksUrl, service.server.url(row.clicksPath));
        service.server.answer(row.answer);
        platform::LogCapture log;
        servicetest::Calls calls;
        Client::clicksWithSessionId(row.sessionId, row.actionId, [&](auto text, auto error) {
            EXPECT_FALSE(error);
            calls.record(std::move(text));
        });
        if (!row.target) {
            EXPECT_FALSE(service.server.waitForRequests(sent + 1, 50ms)) << row.name;
            EXPECT_EQ(calls.count, 0) << row.name;
            continue;
        }
        ASSERT_TRUE(service.server.waitForRequests(++sent)) << row.name;
        auto request = service.server.requests().back();
        EXPECT_EQ(request.method, "PUT") << row.name;
        EXPECT_EQ(request.target, *row.target) << row.name;
        EXPECT_EQ(request.body, "") << row.name;
        EXPECT_EQ(request.header("Content-Length"), "0") << row.name;
        ASSERT_GE(request.headers.size(), 3u);
        EXPECT_EQ(request.headers[request.headers.size() - 3].first, "SessionId") << row.name;
        EXPECT_EQ(request.headers[request.headers.size() - 2].first, "ApiKey") << row.name;
        EXPECT_EQ(request.header("ApiKey"), testsupport::RecognitionService::apiKey);
        if (row.completion) {
            ASSERT_TRUE(calls.waitForOne()) << row.name;
            EXPECT_EQ(calls.data, row.completion) << row.name;
        } else {
            EXPECT_TRUE(servicetest::eventually([&] { return log.contains("Error: "); })) << row.name;
            EXPECT_EQ(calls.count, 0) << row.name;
        }
    }
}

TEST(ClickReportTest, TheApiKeyNeverReachesTheLogInFull) {
    testsupport::RecognitionService service;
    service.server.answer({204, "", {}});
    platform::LogCapture log;
    servicetest::Calls calls;
    Client::clicksWithSessionId("S1", "A1", [&](auto text, auto) { calls.record(std::move(text)); });
    ASSERT_TRUE(calls.waitForOne());
    servicetest::Calls recognised;
    Client::enrichedImage(servicetest::photo(), "image.jpeg", "en", std::nullopt,
                          [&](auto data, auto) { recognised.record(std::move(data)); });
    ASSERT_TRUE(recognised.waitForOne());
    EXPECT_TRUE(log.contains("api Key :: ****b6a0"));
    EXPECT_EQ(log.count(testsupport::RecognitionService::apiKey), 0u);
    EXPECT_EQ(vistrel::maskedApiKey("short-key"), "****");
}
