#pragma once
// The two requests of the kit: the recognition request, which uploads a photo with the
// description of the application and the device, and the click report. Both end in an
// orderly way when something they need is missing or unsafe to send: nothing goes out.
#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "vistrel/platform/foundation/error.hpp"
#include "vistrel/platform/graphics/image.hpp"

namespace vistrel {

class Client {
public:
    using DataCompletion = std::function<void(std::optional<std::string> data, std::optional<platform::Error> error)>;
    using TextCompletion = std::function<void(std::optional<std::string> text, std::optional<platform::Error> error)>;
    using Headers = std::map<std::string, std::string>;

    // The most body bytes either request takes in an answer (16 MB); a longer answer ends
    // the request as a failure.
    static constexpr std::size_t maxAnswerBytes = std::size_t{16} << 20;

    // Uploads the photo, prepared and JPEG-encoded, as a multipart form to the recognition
    // service. Calls back exactly once: with the body of a 200 answer (present even when
    // empty); with nothing and an error when the exchange failed (no answer, a time-out,
    // an answer over maxAnswerBytes, or a status other than 2xx, such as a redirect to
    // another origin, which is never followed); else with nothing. When
    // a value it needs is missing (the photo, a content type, a language, the API key, the
    // instance identifier, a usable address, a prepared photo, its JPEG, the host's
    // version) or a header value holds a line break, it calls back (nil, nil) on the caller's thread
    // before returning and sends nothing. Otherwise it calls back on the shared URL
    // session's callback queue.
    static void enrichedImage(const std::optional<platform::graphics::Image>& image, std::string_view contentType,
                              std::string_view languageCode, const std::optional<Headers>& headers,
                              DataCompletion completion);

    // Reports that an action of a recognised image was run: a PUT without a body to the
    // clicks address with the action identifier in the query. Calls back only for a 204
    // answer (or one that is not HTTP), with the body as UTF-8 text; never on failure
    // (a redirect to another origin is not followed and is a failure).
    static void clicksWithSessionId(std::string_view sessionId, std::string_view actionId, TextCompletion completion);

    // How long the recognition request may go without progress (15 s); tests shorten it.
    static std::chrono::milliseconds recognitionTimeout();
    static void setRecognitionTimeout(std::optional<std::chrono::milliseconds> timeout);
    // How long the whole recognition exchange may take however steadily the answer comes
    // (60 s), after which it ends as a time-out does; tests shorten it.
    static std::chrono::milliseconds recognitionDeadline();
    static void setRecognitionDeadline(std::optional<std::chrono::milliseconds> deadline);
    // The same for the click report (60 s); tests shorten it.
    static std::chrono::milliseconds clickReportDeadline();
    static void setClickReportDeadline(std::optional<std::chrono::milliseconds> deadline);

    // The multipart body: each form field, then the file part, then the closing boundary
    // (no line break after it).
    static std::string createBody(const std::map<std::string, std::string>& parameters, std::string_view boundary,
                                  std::string_view data, std::string_view mimeType, std::string_view filename);
};

// The API key as it may appear in the log: its last four characters at most.
std::string maskedApiKey(std::string_view apiKey);

}  // namespace vistrel
