#include "vistrel/service/client.hpp"

#include <atomic>
#include <sstream>
#include <utility>
#include <vector>

#include "vistrel/core/configuration_key.hpp"
#include "vistrel/core/sdk_configuration.hpp"
#include "vistrel/core/vistrel_pref.hpp"
#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/json_writer.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/foundation/random.hpp"
#include "vistrel/platform/graphics/jpeg_encoding.hpp"
#include "vistrel/platform/net/url.hpp"
#include "vistrel/platform/net/url_request.hpp"
#include "vistrel/platform/net/url_session.hpp"
#include "vistrel/platform/ui/application.hpp"
#include "vistrel/service/device_information.hpp"
#include "vistrel/service/upload_photo.hpp"

namespace vistrel {

namespace {

constexpr std::chrono::milliseconds kRecognitionTimeout{15000};
constexpr std::chrono::milliseconds kExchangeDeadline{60000};
std::atomic<long long> recognitionTimeoutOverride{0};
std::atomic<long long> recognitionDeadlineOverride{0};
std::atomic<long long> clickReportDeadlineOverride{0};

// Ends a recognition request that cannot go out.
void refuse(const Client::DataCompletion& completion, std::string_view reason) {
    platform::log(platform::concatenate("EnrichedImages : ", reason));
    if (completion) completion(std::nullopt, std::nullopt);
}

// The first header whose name or value cannot be sent as it is; none when all can.
std::optional<std::string> unsendableHeader(const platform::net::URLRequest& request) {
    for (const auto& [name, value] : request.allHTTPHeaderFields())
        if (!platform::net::isValidHeaderName(name) || !platform::net::isValidHeaderValue(value)) return name;
    return std::nullopt;
}

// "Error: " and the description of the error or response, "nil" when there is none.
template <typename Described>
void logError(const std::optional<Described>& what) {
    platform::log(platform::concatenate("Error: ", what ? what->description() : std::string("nil")));
}

// The error of an exchange that gave no usable answer: the status, 0 when there is none.
platform::Error unanswered(const std::optional<platform::net::HTTPURLResponse>& response) {
    const long status = response ? response->statusCode : 0;
    return {"VistrelServiceErrorDomain", status,
            {{"reason", platform::concatenate("the recognition service answered ", std::to_string(status))}}};
}

std::string generateBoundaryString() { return platform::concatenate("Boundary-", platform::makeUuidString()); }

std::string queryValue(std::string_view languageCode) {
    return platform::concatenate("{\"Language\":\"", languageCode, "\"}");
}

}  // namespace

std::chrono::milliseconds Client::recognitionTimeout() {
    long long overridden = recognitionTimeoutOverride.load();
    return overridden > 0 ? std::chrono::milliseconds(overridden) : kRecognitionTimeout;
}

void Client::setRecognitionTimeout(std::optional<std::chrono::milliseconds> timeout) {
    recognitionTimeoutOverride = timeout ? timeout->count() : 0;
}

std::chrono::milliseconds Client::recognitionDeadline() {
    long long overridden = recognitionDeadlineOverride.load();
    return overridden > 0 ? std::chrono::milliseconds(overridden) : kExchangeDeadline;
}

void Client::setRecognitionDeadline(std::optional<std::chrono::milliseconds> deadline) {
    recognitionDeadlineOverride = deadline ? deadline->count() : 0;
}

std::chrono::milliseconds Client::clickReportDeadline() {
    long long overridden = clickReportDeadlineOverride.load();
    return overridden > 0 ? std::chrono::milliseconds(overridden) : kExchangeDeadline;
}

void Client::setClickReportDeadline(std::optional<std::chrono::milliseconds> deadline) {
    clickReportDeadlineOverride = deadline ? deadline->count() : 0;
}

std::string maskedApiKey(std::string_view apiKey) {
    // Short keys would be given away by their last characters: nothing of them is shown.
    return platform::concatenate("****", apiKey.size() >= 12 ? apiKey.substr(apiKey.size() - 4) : "");
}

std::string Client::createBody(const std::map<std::string, std::string>& parameters, std::string_view boundary,
                               std::string_view data, std::string_view mimeType, std::string_view filename) {
    std::string body;
    body.reserve(data.size() + 512);
    for (const auto& [key, value] : parameters)
        ((body += "--") += boundary).append("\r\nContent-Disposition: form-data; name=\"").append(key)
            .append("\"\r\n\r\n").append(value).append("\r\n");
    ((body += "--") += boundary).append("\r\nContent-Disposition: form-data; name=\"file\"; filename=\"")
        .append(filename).append("\"\r\nContent-Type: ").append(mimeType).append("\r\n\r\n");
    ((body += data) += "\r\n--").append(boundary).append("--");
    return body;
}

void Client::enrichedImage(const std::optional<platform::graphics::Image>& image, std::string_view contentType,
                           std::string_view languageCode, const std::optional<Headers>& headers,
                           DataCompletion completion) {
    if (!image || contentType.empty() || languageCode.empty())
        return refuse(completion, "All of parameter are necessary");
    auto apiKey = VistrelPref::getApiKey();
    auto instanceId = VistrelPref::getApplicationInstanceId();
    if (!apiKey || apiKey->empty() || !instanceId || instanceId->empty())
        return refuse(completion, "no API key or application instance identifier; was the API key set up?");
    const auto& configuration = SdkConfiguration::shared();
    auto url = platform::net::validatedHTTPURL(configuration.urlValueForKey(ConfigurationKey::sdkEnrichedImageUrl));
    if (!url) return refuse(completion, "the recognition address is not an http or https URL");
    auto& application = platform::ui::Application::shared();
    std::string applicationVersion = application.version();
    if (applicationVersion.empty()) return refuse(completion, "the host application has no version");

    auto prepared = VistrelTools::resizeImage(*image);
    if (!prepared) return refuse(completion, "the photo gives no picture to send");
    double quality = configuration.floatValueForKey(ConfigurationKey::sdkImageSendQuality);
    std::ostringstream qualityText;
    qualityText << "image quality :: " << quality;
    platform::log(qualityText.str());
    auto jpeg = platform::graphics::encodeJpeg(*prepared, quality);
    if (!jpeg) return refuse(completion, "the photo cannot be encoded as JPEG");

    platform::net::URLRequest request(*url, recognitionTimeout());
    request.httpMethod = "POST";
    request.totalTimeoutInterval = recognitionDeadline();
    request.maxResponseBytes = maxAnswerBytes;
    // The request carries the key: another origin's answer is no answer of the service.
    request.redirectPolicy = platform::net::RedirectPolicy::sameServiceOnly;
    const DeviceInformation& device = DeviceInformation::shared();
    std::string boundary = generateBoundaryString();
    std::string contentTypeHeader = platform::concatenate("multipart/form-data; boundary=", boundary);
    const std::pair<const char*, std::string> fixed[] = {
        {"Content-Type", contentTypeHeader},
        {"Accept", "application/json"},
        {"ApplicationInstanceId", *instanceId},
        {"ApplicationName", application.name()},
        {"ApplicationVersion", applicationVersion},
        {"ApiKey", *apiKey},
        {"DeviceOS", device.os},
        {"DeviceName", device.name},
        {"DeviceSystemVersion", device.systemVersion},
        {"DeviceSystemVersionName", device.systemVersionName},
        {"SdkName", configuration.valueForKey(ConfigurationKey::sdkName)},
        {"SdkVersion", configuration.valueForKey(ConfigurationKey::sdkVersion)},
        {"DeviceConnectivity", device.networkType()},
        {"DeviceScreenDiagonal", device.screenDiagonal},
        {"DeviceScreenHeight", device.screenHeight},
        {"DeviceScreenWidth", device.screenWidth},
    };
    for (const auto& [name, value] : fixed) request.addValue(value, name);
    if (headers)
        for (const auto& [name, value] : *headers) request.addValue(value, name);
    if (auto header = unsendableHeader(request))
        return refuse(completion, platform::concatenate("the header ", platform::escapeControlCharacters(*header),
                                                        " cannot be sent (a line break in its name or value)"));
    request.httpBody = createBody({{"query", queryValue(languageCode)}}, boundary, *jpeg, "image/jpeg", "image.jpg");

    platform::net::URLSession::shared()
        .dataTask(std::move(request),
                  [completion = std::move(completion)](std::optional<std::string> data,
                                                       std::optional<platform::net::HTTPURLResponse> response,
                                                       std::optional<platform::Error> error) {
                      if (!data || error) {
                          logError(error);
                          return completion(std::nullopt, error ? std::move(error) : unanswered(response));
                      }
                      platform::log(platform::concatenate(
                          "CODE: ", response ? platform::concatenate("Optional(", std::to_string(response->statusCode), ")")
                                             : std::string("nil")));
                      if (response && response->statusCode == 204) return completion(std::nullopt, std::nullopt);
                      if (response && response->statusCode == 200) return completion(std::move(data), std::nullopt);
                      logError(response);
                      const bool answered = response && response->statusCode >= 200 && response->statusCode < 300;
                      completion(std::nullopt, answered ? std::optional<platform::Error>() : unanswered(response));
                  })
        ->resume();
}

void Client::clicksWithSessionId(std::string_view sessionId, std::string_view actionId, TextCompletion completion) {
    if (sessionId.empty() || actionId.empty()) {
        platform::log("Clicks : All of parameter are necessary");
        return;
    }
    auto apiKey = VistrelPref::getApiKey();
    if (!apiKey || apiKey->empty()) {
        platform::log("Clicks : no API key; was the API key set up?");
        return;
    }
    std::string item = "actionId=";
    item += platform::net::percentEncodedQueryValue(actionId);
    auto url = platform::net::appendingQueryItem(
        SdkConfiguration::shared().urlValueForKey(ConfigurationKey::sdkClicksUrl), item);
    if (!url) {
        platform::log("Clicks : the clicks address is not an http or https URL");
        return;
    }
    platform::net::URLRequest request(*url);
    request.httpMethod = "PUT";
    request.totalTimeoutInterval = clickReportDeadline();
    request.maxResponseBytes = maxAnswerBytes;
    request.redirectPolicy = platform::net::RedirectPolicy::sameServiceOnly;
    platform::log(platform::concatenate("clicks request url :: ", *url));
    platform::log(platform::concatenate("sessionId :: ", platform::escapeControlCharacters(sessionId)));
    platform::log(platform::concatenate("actionId :: ", platform::escapeControlCharacters(actionId)));
    platform::log(platform::concatenate("api Key :: ", maskedApiKey(*apiKey)));
    request.addValue(sessionId, "SessionId");
    request.addValue(*apiKey, "ApiKey");
    if (auto header = unsendableHeader(request)) {
        platform::log(platform::concatenate("Clicks : the header ", *header, " cannot be sent (a line break in its value)"));
        return;
    }
    platform::net::URLSession::shared()
        .dataTask(std::move(request),
                  [completion = std::move(completion)](std::optional<std::string> data,
                                                       std::optional<platform::net::HTTPURLResponse> response,
                                                       std::optional<platform::Error> error) {
                      if (!data || error) return logError(error);
                      if (response && response->statusCode != 204) return logError(response);
                      if (!completion) return;
                      if (platform::json::isValidUtf8(*data)) completion(std::move(data), std::nullopt);
                      else completion(std::nullopt, std::nullopt);
                  })
        ->resume();
}

}  // namespace vistrel
