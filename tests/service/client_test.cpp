#include <gtest/gtest.h>

#include "service_waiting.hpp"
#include "support/recognition_service.hpp"
#include "support/uuid_form.hpp"
#include "vistrel/core/configuration_key.hpp"
#include "vistrel/core/kit_defaults.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/jpeg_encoding.hpp"
#include "vistrel/service/client.hpp"
#include "vistrel/service/device_information.hpp"
#include "vistrel/service/picture_scanner.hpp"
#include "vistrel/service/upload_photo.hpp"

using namespace std::chrono_literals;
using testsupport::CannedAnswer;
using vistrel::Client;
using vistrel::ConfigurationKey;

namespace {

struct ClientTest : ::testing::Test {
    testsupport::RecognitionService service;

    // Sends the photo and waits for the completion; the data it was given.
    std::optional<std::string> recognise(const std::optional<Client::Headers>& headers = std::nullopt) {
        servicetest::Calls calls;
        // A failed exchange also gives an error: the scan pipeline's tests read it.
        Client::enrichedImage(servicetest::photo(), "image.jpeg", "fr-FR", headers,
                              [&](auto data, auto) { calls.record(std::move(data)); });
        EXPECT_TRUE(calls.waitForOne() && calls.count == 1);
        return calls.data;
    }
};

}  // namespace

// The photo goes fitted to the configured side, in grey when the user asked for it, at the
// configured quality; extra headers come last, one that is already there is merged.
TEST_F(ClientTest, BodyAndHeadersByteForByte) {
    service.server.answer({200, "{}", {}});
    vistrel::VistrelPref::setUseBlackAndWhite(true);
    recognise(Client::Headers{{"Accept", "text/plain"}, {"X-Trace", "t1"}});
    auto request = service.server.requests().at(0);
    EXPECT_EQ(std::tuple(request.method, request.target), std::tuple("POST", "/recognize"));

    std::string type = request.header("Content-Type").value_or("");
    ASSERT_TRUE(type.starts_with("multipart/form-data; boundary=Boundary-")) << type;
    std::string boundary = type.substr(30);
    EXPECT_TRUE(testsupport::isUpperCaseUuidV4(boundary.substr(9))) << boundary;
    auto jpeg = platform::graphics::encodeJpeg(*vistrel::VistrelTools::resizeImage(servicetest::photo(), 64, true), 0.8);
    ASSERT_TRUE(jpeg);
    const std::string expected =
        std::string("--").append(boundary).append("\r\nContent-Disposition: form-data; name=\"query\"\r\n\r\n")
            .append("{\"Language\":\"fr-FR\"}\r\n--").append(boundary)
            .append("\r\nContent-Disposition: form-data; name=\"file\"; filename=\"image.jpg\"\r\n")
            .append("Content-Type: image/jpeg\r\n\r\n").append(*jpeg).append("\r\n--").append(boundary).append("--");
    EXPECT_TRUE(request.body == expected);
    EXPECT_EQ(request.header("Content-Length"), std::to_string(expected.size()));

    std::vector<std::string> names;
    for (const auto& [name, value] : request.headers)
        if (name != "Host" && name != "Content-Length") names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{
                         "Content-Type", "Accept", "ApplicationInstanceId", "ApplicationName", "ApplicationVersion",
                         "ApiKey", "DeviceOS", "DeviceName", "DeviceSystemVersion", "DeviceSystemVersionName",
                         "SdkName", "SdkVersion", "DeviceConnectivity", "DeviceScreenDiagonal",
                         "DeviceScreenHeight", "DeviceScreenWidth", "X-Trace"}));
    EXPECT_EQ(std::tuple(request.header("Accept"), request.header("ApiKey")),
              std::tuple("application/json, text/plain", testsupport::RecognitionService::apiKey));

    recognise();  // every request has a boundary of its own
    EXPECT_NE(service.server.requests().at(1).header("Content-Type"), request.header("Content-Type"));
}

// An answer over 16 MB is refused: at once when its declared length says so (its body
// would take minutes to come here), when it passes the cap when it comes in chunks.
TEST_F(ClientTest, AnswersAndTransportFaults) {
    struct Row {
        const char* name;
        CannedAnswer answer;
        std::optional<std::string> data;  // what the request writer hands on
        std::string errorLine;            // what an "Error: " line says, empty for none
        // Only the idle row has a short time-out (its server stays silent far longer);
        // the others have the kit's own, so a slow machine fails none of them.
        std::optional<std::chrono::milliseconds> idleTimeout = std::nullopt;
    };
    const std::string overCap(Client::maxAnswerBytes + 1, ' ');
    std::vector<Row> rows = {
        {"200 object", {200, R"({"Title":"Page","Actions":[]})", {}}, R"({"Title":"Page","Actions":[]})", ""},
        {"204", {204, "", {}}, std::nullopt, ""},
        {"500", {500, "{}", {}}, std::nullopt, "status code: 500"},
        {"reset", {200, "", {}, 0ms, true}, std::nullopt, "Code=-1005"},
        {"idle", {200, "{}", {}, 60s}, std::nullopt, "Code=-1001", 300ms},
        {"over the cap, declared", {200, overCap, {}, 0ms, false, 60s}, std::nullopt, "limit of 16777216 bytes"},
        {"over the cap, chunked", {200, overCap, {}, 0ms, false, 0ms, true}, std::nullopt, "limit of 16777216 bytes"},
    };
    for (const Row& row : rows) {
        Client::setRecognitionTimeout(row.idleTimeout);
        service.server.answer(row.answer);
        platform::LogCapture log;
        auto data = recognise();
        EXPECT_TRUE(data == row.data) << row.name << ": " << data.value_or("nil").substr(0, 80);
        const bool errorLine = !row.errorLine.empty();
        EXPECT_EQ(std::tuple(log.contains("Error: "), errorLine && log.contains(row.errorLine),
                             log.count(testsupport::RecognitionService::apiKey)),
                  std::tuple(errorLine, errorLine, 0u)) << row.name;
    }
}

// The recognition request redirected to another host: neither a 302 nor a 307 is
// followed, so neither the key, the instance, the device nor the photo leaves for the
// other host, and its answer is not taken for the service's.
TEST_F(ClientTest, RedirectsToAnotherHostGetNeitherTheKeyNorThePhoto) {
    testsupport::LoopbackServer elsewhere(0, "127.0.0.2");
    ASSERT_NE(elsewhere.port(), 0);
    elsewhere.answer({200, "{}", {}});
    for (int status : {302, 307}) {
        service.server.answer({status, "", {{"Location", elsewhere.url("/collect")}}});
        EXPECT_EQ(recognise(), std::nullopt) << status;
    }
    EXPECT_TRUE(elsewhere.requests().empty());
}

// Each row starts from a kit set up afresh and changes one thing.
TEST_F(ClientTest, MissingOrUnsafeValuesEndAtOnceWithNothingSent) {
    platform::setPreferredLanguages(std::vector<std::string>{});
    int calls = 0;
    vistrel::PictureScanner().scanPicture(servicetest::photo(), [&](auto image, auto) {
        ++calls;
        EXPECT_FALSE(image);
    });
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(service.server.waitForRequests(1, 50ms));

    using Service = testsupport::RecognitionService;
    struct Row {
        const char* name;
        std::function<void(Service&)> arrange;
        std::optional<platform::graphics::Image> photo = servicetest::photo();
        std::string contentType = "image.jpeg";
        std::string language = "en";
        std::optional<Client::Headers> headers = std::nullopt;
    };
    auto& device = vistrel::DeviceInformation::shared();
    std::string deviceName = device.name;
    auto nothing = [](Service&) {};
    auto config = [](ConfigurationKey key, std::string value) {
        return [key, value](Service& fresh) { fresh.set(key, value); };
    };
    std::vector<Row> rows = {
        {"no photo", nothing, std::nullopt},
        {"no content type", nothing, servicetest::photo(), ""},
        {"no language", nothing, servicetest::photo(), "image.jpeg", ""},
        {"no API key", [](Service&) { vistrel::kitDefaults()->remove("apiKey"); }},
        {"no instance", [](Service&) { vistrel::kitDefaults()->remove("applicationInstanceId"); }},
        {"bad address", config(ConfigurationKey::sdkEnrichedImageUrl, "not an address")},
        {"ftp address", config(ConfigurationKey::sdkEnrichedImageUrl, "ftp://127.0.0.1/x")},
        {"no upload side", config(ConfigurationKey::sdkImageSendWidth, "0")},
        {"no host version", [](Service&) { platform::ui::Application::shared().setVersion(""); }},
        {"line break in the API key", [](Service&) { vistrel::VistrelPref::setApiKey("k\r\nX-Injected: 1"); }},
        {"line break in the device name", [&](Service&) { device.name = "phone\nX-Injected: 1"; }},
        {"line break in an extra header", nothing, servicetest::photo(), "image.jpeg", "en",
         Client::Headers{{"X-Extra", "a\rb"}}},
    };
    for (const Row& row : rows) {
        Service fresh;
        row.arrange(fresh);
        int calls = 0;
        bool hadData = false;
        Client::enrichedImage(row.photo, row.contentType, row.language, row.headers, [&](auto data, auto error) {
            ++calls;
            hadData = data.has_value() || error.has_value();
        });
        EXPECT_EQ(std::tuple(calls, hadData, fresh.server.waitForRequests(1, 20ms)), std::tuple(1, false, false))
            << row.name;
        device.name = deviceName;
    }
}

// The API key goes in the header and only its last four characters into the log.
TEST_F(ClientTest, ClickReportAnswersEscapingAndRefusals) {
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
        {"escaped", "S1", "a&b=c+d#e f/é", "/clicks", {204, "", {}}, "/clicks?actionId=a%26b%3Dc%2Bd%23e%20f/%C3%A9", ""},
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
            EXPECT_FALSE(service.server.waitForRequests(sent + 1, 50ms) || calls.count) << row.name;
            continue;
        }
        ASSERT_TRUE(service.server.waitForRequests(++sent)) << row.name;
        auto request = service.server.requests().back();
        ASSERT_GE(request.headers.size(), 3u);
        EXPECT_EQ(std::tuple(request.method, request.target, request.headers[request.headers.size() - 3].first,
                             request.headers[request.headers.size() - 2].first, request.header("ApiKey")),
                  std::tuple("PUT", *row.target, "SessionId", "ApiKey", testsupport::RecognitionService::apiKey))
            << row.name;
        EXPECT_EQ(std::tuple(log.contains("api Key :: ****b6a0"), log.count(testsupport::RecognitionService::apiKey)),
                  std::tuple(true, 0u)) << row.name;
        if (row.completion) {
            ASSERT_TRUE(calls.waitForOne()) << row.name;
            EXPECT_EQ(calls.data, row.completion) << row.name;
        } else {
            EXPECT_TRUE(platform::dispatch::RunLoop::runUntil([&] { return log.contains("Error: "); }, 2min) &&
                        calls.count == 0) << row.name;
        }
    }
    EXPECT_EQ(vistrel::maskedApiKey("short-key"), "****");
}
