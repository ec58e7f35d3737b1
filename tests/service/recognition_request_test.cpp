#include <gtest/gtest.h>

#include <algorithm>

#include "core/sdk_configuration.hpp"
#include "platform/foundation/log.hpp"
#include "platform/foundation/user_defaults.hpp"
#include "platform/graphics/jpeg_encoding.hpp"
#include "service/client.hpp"
#include "service/device_information.hpp"
#include "service/picture_scanner.hpp"
#include "service/upload_photo.hpp"
#include "service_waiting.hpp"
#include "support/recognition_service.hpp"
#include "support/uuid_form.hpp"

using namespace std::chrono_literals;
using testsupport::CannedAnswer;
using vistrel::Client;
using vistrel::ConfigurationKey;

namespace {

struct RecognitionRequestTest : ::testing::Test {
    testsupport::RecognitionService service;

    // Sends the photo and waits for the completion; the data it was given.
    std::optional<std::string> recognise(const std::optional<Client::Headers>& headers = std::nullopt) {
        servicetest::Calls calls;
        Client::enrichedImage(servicetest::photo(), "image.jpeg", "fr-FR", headers,
                              [&](auto data, auto error) {
                                  EXPECT_FALSE(error);
                                  calls.record(std::move(data));
                              });
        EXPECT_TRUE(calls.waitForOne());
        std::lock_guard lock(calls.mutex);
        EXPECT_EQ(calls.count, 1);
        return calls.data;
    }

    // Runs the server job and waits for it; whether it gave an image, and its title.
    std::optional<vistrel::Image> scan() {
        std::mutex mutex;
        std::optional<std::optional<vistrel::Image>> result;
        vistrel::PictureScanner().scanPicture(servicetest::photo(), [&](auto image, auto) {
            std::lock_guard lock(mutex);
            result = std::move(image);
        });
        EXPECT_TRUE(servicetest::eventually([&] {
            std::lock_guard lock(mutex);
            return result.has_value();
        }, 10s));
        std::lock_guard lock(mutex);
        return result.value_or(std::nullopt);
    }
};

std::string boundaryOf(const testsupport::CapturedRequest& request) {
    std::string type = request.header("Content-Type").value_or("");
    std::string prefix = "multipart/form-data; boundary=";
    return type.starts_with(prefix) ? type.substr(prefix.size()) : "";
}

}  // namespace

TEST_F(RecognitionRequestTest, BodyAndHeadersByteForByte) {
    service.server.answer({200, "{}", {}});
    recognise();
    auto request = service.server.requests().at(0);
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.target, "/recognize");

    std::string boundary = boundaryOf(request);
    ASSERT_TRUE(boundary.starts_with("Boundary-"));
    EXPECT_TRUE(testsupport::isUpperCaseUuidV4(boundary.substr(9))) << boundary;
    auto prepared = vistrel::VistrelTools::resizeImage(servicetest::photo());
    auto jpeg = platform::graphics::encodeJpeg(
        *prepared, vistrel::SdkConfiguration::shared().floatValueForKey(ConfigurationKey::sdkImageSendQuality));
    ASSERT_TRUE(jpeg);
    std::string expected = "--";
    expected += boundary;
    expected += "\r\nContent-Disposition: form-data; name=\"query\"\r\n\r\n{\"Language\":\"fr-FR\"}\r\n--";
    expected += boundary;
    expected += "\r\nContent-Disposition: form-data; name=\"file\"; filename=\"image.jpg\"\r\n";
    expected += "Content-Type: image/jpeg\r\n\r\n";
    expected += *jpeg;
    expected += "\r\n--";
    expected += boundary;
    expected += "--";
    EXPECT_TRUE(request.body == expected);
    EXPECT_EQ(request.header("Content-Length"), std::to_string(expected.size()));

    std::vector<std::string> names;
    for (const auto& [name, value] : request.headers)
        if (name != "Host" && name != "Content-Length") names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{
                         "Content-Type", "Accept", "ApplicationInstanceId", "ApplicationName", "ApplicationVersion",
                         "ApiKey", "DeviceOS", "DeviceName", "DeviceSystemVersion", "DeviceSystemVersionName",
                         "SdkName", "SdkVersion", "DeviceConnectivity", "DeviceScreenDiagonal",
                         "DeviceScreenHeight", "DeviceScreenWidth"}));
    const auto& device = vistrel::DeviceInformation::shared();
    EXPECT_EQ(request.header("Accept"), "application/json");
    EXPECT_EQ(request.header("ApplicationInstanceId"), testsupport::RecognitionService::instanceId);
    EXPECT_EQ(request.header("ApplicationName"), "Host App");
    EXPECT_EQ(request.header("ApplicationVersion"), "3.2");
    EXPECT_EQ(request.header("ApiKey"), testsupport::RecognitionService::apiKey);
    EXPECT_EQ(request.header("DeviceOS"), "iOS");
    EXPECT_EQ(request.header("DeviceName"), device.name);
    EXPECT_EQ(request.header("SdkName"), "Vistrel");
    EXPECT_EQ(request.header("SdkVersion"), "2.4.1");
    EXPECT_EQ(request.header("DeviceScreenWidth"), device.screenWidth);
}

TEST_F(RecognitionRequestTest, EachRequestHasItsOwnBoundary) {
    recognise();
    recognise();
    auto requests = service.server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(boundaryOf(requests[0]), boundaryOf(requests[1]));
}

TEST_F(RecognitionRequestTest, ExtraHeadersComeLastAndMergeWithTheFixedOnes) {
    recognise(Client::Headers{{"Accept", "text/plain"}, {"X-Trace", "t1"}});
    auto request = service.server.requests().at(0);
    EXPECT_EQ(request.headerCount("Accept"), 1u);
    EXPECT_EQ(request.header("Accept"), "application/json, text/plain");
    auto position = [&](std::string_view name) {
        return std::find_if(request.headers.begin(), request.headers.end(),
                            [&](const auto& header) { return header.first == name; }) - request.headers.begin();
    };
    EXPECT_EQ(position("X-Trace"), position("DeviceScreenWidth") + 1);
}

TEST_F(RecognitionRequestTest, AnswersAndTransportFaults) {
    struct Row {
        const char* name;
        CannedAnswer answer;
        std::optional<std::string> data;  // what the request writer hands on
        bool image;                       // whether the server job gives an image
        bool errorLine;
    };
    CannedAnswer late{200, "{}", {}, 3000ms};
    CannedAnswer reset{200, "", {}, 0ms, true};
    std::vector<Row> rows = {
        {"200 object", {200, R"({"Title":"Page","Actions":[]})", {}}, R"({"Title":"Page","Actions":[]})", true, false},
        {"200 empty", {200, "", {}}, "", false, false},
        {"200 not JSON", {200, "<html>", {}}, "<html>", false, false},
        {"200 array", {200, "[1,2]", {}}, "[1,2]", false, false},
        {"204", {204, "", {}}, std::nullopt, false, false},
        {"404", {404, "{}", {}}, std::nullopt, false, true},
        {"500", {500, "{}", {}}, std::nullopt, false, true},
        {"reset", reset, std::nullopt, false, true},
        {"idle", late, std::nullopt, false, true},
    };
    Client::setRecognitionTimeout(300ms);
    for (const Row& row : rows) {
        service.server.answer(row.answer);
        platform::LogCapture log;
        EXPECT_EQ(recognise(), row.data) << row.name;
        EXPECT_EQ(log.contains("Error: "), row.errorLine) << row.name;
        auto image = scan();
        EXPECT_EQ(image.has_value(), row.image) << row.name;
        if (image) {
            EXPECT_EQ(image->title, "Page");
        }
    }
    std::string refused = "http://127.0.0.1:";
    refused += std::to_string(testsupport::LoopbackServer::refusedPort());
    service.set(ConfigurationKey::sdkEnrichedImageUrl, refused);
    platform::LogCapture log;
    EXPECT_EQ(recognise(), std::nullopt);
    EXPECT_TRUE(log.contains("Error: Error Domain=NSURLErrorDomain Code=-1004"));
}

TEST_F(RecognitionRequestTest, MissingOrUnsafeValuesEndAtOnceWithNothingSent) {
    struct Row {
        const char* name;
        std::function<void()> arrange;
        std::function<void()> restore;
        std::optional<platform::graphics::Image> photo = servicetest::photo();
        std::string contentType = "image.jpeg";
        std::string language = "en";
        std::optional<Client::Headers> headers = std::nullopt;
    };
    auto defaults = [] { return vistrel::kitDefaults(); };
    auto& device = vistrel::DeviceInformation::shared();
    std::string deviceName = device.name;
    auto nothing = [] {};
    auto config = [&](ConfigurationKey key, std::string value) {
        return [this, key, value] { service.set(key, value); };
    };
    std::vector<Row> rows = {
        {"no photo", nothing, nothing, std::nullopt},
        {"no content type", nothing, nothing, servicetest::photo(), ""},
        {"no language", nothing, nothing, servicetest::photo(), "image.jpeg", ""},
        {"no API key", [&] { defaults()->remove("apiKey"); },
         [] { vistrel::VistrelPref::setApiKey(testsupport::RecognitionService::apiKey); }},
        {"no instance", [&] { defaults()->remove("applicationInstanceId"); },
         [] { vistrel::VistrelPref::setApplicationInstanceId(testsupport::RecognitionService::instanceId); }},
        {"bad address", config(ConfigurationKey::sdkEnrichedImageUrl, "not an address"),
         config(ConfigurationKey::sdkEnrichedImageUrl, service.server.url("/recognize"))},
        {"ftp address", config(ConfigurationKey::sdkEnrichedImageUrl, "ftp://127.0.0.1/x"),
         config(ConfigurationKey::sdkEnrichedImageUrl, service.server.url("/recognize"))},
        {"no upload side", config(ConfigurationKey::sdkImageSendWidth, "0"),
         config(ConfigurationKey::sdkImageSendWidth, "64")},
        {"no host version", [] { platform::ui::Application::shared().setVersion(""); },
         [] { platform::ui::Application::shared().setVersion("3.2"); }},
        {"line break in the API key", [] { vistrel::VistrelPref::setApiKey("k\r\nX-Injected: 1"); },
         [] { vistrel::VistrelPref::setApiKey(testsupport::RecognitionService::apiKey); }},
        {"line break in the device name", [&] { device.name = "phone\nX-Injected: 1"; },
         [&] { device.name = deviceName; }},
        {"line break in an extra header", nothing, nothing, servicetest::photo(), "image.jpeg", "en",
         Client::Headers{{"X-Extra", "a\rb"}}},
    };
    for (const Row& row : rows) {
        row.arrange();
        int calls = 0;
        bool hadData = false;
        Client::enrichedImage(row.photo, row.contentType, row.language, row.headers, [&](auto data, auto error) {
            ++calls;
            hadData = data.has_value() || error.has_value();
        });
        EXPECT_EQ(calls, 1) << row.name;
        EXPECT_FALSE(hadData) << row.name;
        row.restore();
    }
    platform::setPreferredLanguages(std::vector<std::string>{});
    int calls = 0;
    vistrel::PictureScanner().scanPicture(servicetest::photo(), [&](auto image, auto) {
        ++calls;
        EXPECT_FALSE(image);
    });
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(service.server.waitForRequests(1, 100ms));
}
