// A scan of a photo: the service's answer and the QR codes merged; and the QR job alone.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "service_waiting.hpp"
#include "support/recognition_service.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/service/picture_scanner.hpp"

namespace {

using namespace std::chrono_literals;
using platform::dispatch::RunLoop;
using vistrel::PictureScanner;
using vistrel::VistrelError;
using Names = std::vector<std::string>;

PictureScanner::Photo page(bool withCode) {
    return withCode ? servicetest::photoOf({{"TEL:0612345678", 0.5, 0.5, 0.5}}, 480, 360) : servicetest::photo();
}

// What a scan or the QR job gave; written before the count, read once the count is seen.
template <class Error>
struct Outcome {
    std::atomic<int> calls = 0;
    bool onMain = false;
    std::optional<vistrel::Image> image;
    std::optional<Error> error;

    auto record() {
        return [this](std::optional<vistrel::Image> given, std::optional<Error> failure) {
            onMain = platform::dispatch::isMainThread();
            image = std::move(given);
            error = std::move(failure);
            ++calls;
        };
    }
    // Runs the main queue until the completion has come (the bound only catches a hang),
    // then a little longer: a second call would come now.
    void wait() {
        EXPECT_TRUE(RunLoop::runUntil([&] { return calls > 0; }, 2min));
        RunLoop::runFor(20ms);
    }
};

// The names of the image's actions, in order; none without an image or a list.
std::optional<Names> actionNames(const std::optional<vistrel::Image>& image) {
    if (!image || !image->actions) return std::nullopt;
    Names names;
    for (const auto& action : *image->actions) names.push_back(action.name.value_or("?"));
    return names;
}

TEST(ScanPipelineTest, MergesTheServiceAnswerWithTheCodesWhicheverComesFirst) {
    testsupport::RecognitionService service;
    const std::string qr = vistrel::tr("zbar.qrcode_detected");
    const std::string withActions = R"({"Title":"Page","Actions":[{"Name":"A"},{"Name":"B"}]})";
    struct Row {
        const char* name;
        testsupport::CannedAnswer answer;
        bool code;
        std::optional<std::string> title;
        std::optional<Names> actions;  // none with a title: no list; none without: the error
    };
    const std::vector<Row> rows = {
        {"server only", {200, withActions, {}}, false, "Page", Names{"A", "B"}},
        {"server without a list", {200, R"({"Title":"Page"})", {}}, false, "Page", std::nullopt},
        {"codes only", {500, "{}", {}}, true, qr, Names{"0612345678"}},
        {"both", {200, withActions, {}}, true, "Page", Names{"A", "B", "0612345678"}},
        {"empty server list", {200, R"({"Title":"Page","Actions":[]})", {}}, true, "Page", Names{"0612345678"}},
        // A recognised page without actions still shows the codes found on it.
        {"server without a list, codes", {200, R"({"Title":"Page"})", {}}, true, "Page", Names{"0612345678"}},
        // An answer that is no JSON object is no recognition: the codes stand alone.
        {"server not an object, codes", {200, "[1, 2]", {}}, true, qr, Names{"0612345678"}},
        {"server not an object", {200, "not json", {}}, false, std::nullopt, std::nullopt},
        {"nothing", {204, "", {}}, false, std::nullopt, std::nullopt},
        // An answer over the cap is a failed request, whatever it would have said.
        {"server over the cap, codes", {200, R"({"Title":"Page"})" + std::string(16 << 20, ' '), {}}, true, qr,
         Names{"0612345678"}},
    };
    for (const Row& row : rows) {
        // At once, the answer usually comes before the codes; late, always after them.
        for (auto delay : {0ms, 150ms}) {
            SCOPED_TRACE(testing::Message() << row.name << ", answer after " << delay.count() << " ms");
            auto answer = row.answer;
            answer.delay = delay;
            service.server.answer(std::move(answer));
            platform::LogCapture log;
            Outcome<VistrelError> outcome;
            PictureScanner().groupedRequests(page(row.code), outcome.record());
            outcome.wait();
            EXPECT_EQ(std::tuple(outcome.calls.load(), outcome.onMain, log.count("Finished all requests"),
                                 outcome.image ? outcome.image->title : std::nullopt, actionNames(outcome.image),
                                 outcome.error),
                      std::tuple(1, true, 1u, row.title, row.actions,
                                 row.title ? std::nullopt : std::optional(VistrelError::notEnrichedImage)));
        }
    }
}

// An answer that drips in never lets the transfer go idle, but the recognition exchange
// ends at its deadline as after a time-out, and the scan with the codes alone.
TEST(ScanPipelineTest, ADrippingAnswerEndsAtTheDeadlineWithTheCodes) {
    testsupport::RecognitionService service;
    vistrel::Client::setRecognitionDeadline(500ms);
    // A byte every 200 ms, far from the idle time-out; a minute in all, far past the deadline.
    testsupport::CannedAnswer drip{200, R"({"Title":"Page"})" + std::string(300, ' '), {}};
    drip.pauseBetweenBodyBytes = 200ms;
    service.server.answer(drip);
    platform::LogCapture log;
    Outcome<VistrelError> outcome;
    PictureScanner().groupedRequests(page(true), outcome.record());
    outcome.wait();
    EXPECT_EQ(std::tuple(outcome.image ? outcome.image->title : std::nullopt, actionNames(outcome.image)),
              std::tuple(vistrel::tr("zbar.qrcode_detected"), Names{"0612345678"}));
    EXPECT_TRUE(log.contains("Code=-1001")) << "logged as a time-out";
}

// Without a code on the page, a service that failed (no answer, or one other than 2xx) is
// told apart from one that answered without recognising anything.
TEST(ScanPipelineTest, AFailedServiceIsToldApartFromAnAnswerThatRecognisedNothing) {
    testsupport::RecognitionService service;
    const std::string refused = testsupport::LoopbackServer(testsupport::LoopbackServer::refusedPort()).url("/");
    struct Row {
        const char* name;
        testsupport::CannedAnswer answer;
        VistrelError error;
        std::string address = "";  // the service's own when empty
        // Only the time-out row has a short one (its server stays silent far longer).
        std::optional<std::chrono::milliseconds> idleTimeout = std::nullopt;
    };
    const std::vector<Row> rows = {
        {"200, no object", {200, "not json", {}}, VistrelError::notEnrichedImage},
        {"202", {202, "", {}}, VistrelError::notEnrichedImage},
        {"204", {204, "", {}}, VistrelError::notEnrichedImage},
        {"404", {404, "{}", {}}, VistrelError::serviceUnavailable},
        {"500", {500, R"({"Title":"Page"})", {}}, VistrelError::serviceUnavailable},
        {"503", {503, "", {}}, VistrelError::serviceUnavailable},
        {"reset", {200, "", {}, 0ms, true}, VistrelError::serviceUnavailable},
        {"time-out", {200, "{}", {}, 60s}, VistrelError::serviceUnavailable, "", 200ms},
        {"refused", {}, VistrelError::serviceUnavailable, refused},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        vistrel::Client::setRecognitionTimeout(row.idleTimeout);
        service.server.answer(row.answer);
        service.set(vistrel::ConfigurationKey::sdkEnrichedImageUrl,
                    row.address.empty() ? service.server.url("/recognize") : row.address);
        Outcome<VistrelError> outcome;
        PictureScanner().groupedRequests(page(false), outcome.record());
        outcome.wait();
        EXPECT_EQ(std::tuple(outcome.calls.load(), outcome.image.has_value(), outcome.error),
                  std::tuple(1, false, row.error));
    }
}

TEST(ScanPipelineTest, ScansAtTheSameTimeKeepTheirOwnResults) {
    testsupport::RecognitionService service;
    service.server.answer({200, R"({"Title":"Page"})", {}});
    Outcome<VistrelError> plain, withCode;
    PictureScanner scanner;
    scanner.groupedRequests(page(false), plain.record());
    scanner.groupedRequests(page(true), withCode.record());
    EXPECT_TRUE(RunLoop::runUntil([&] { return plain.calls + withCode.calls == 2; }, 2min));  // catches a hang only
    EXPECT_EQ(std::tuple(actionNames(plain.image), actionNames(withCode.image)),
              std::tuple(std::nullopt, Names{"0612345678"}));
}

// The QR job calls back once on every path: on the main queue with an image when a code
// reads as text, off it with the not-found error otherwise.
TEST(SearchBarCode, EveryPhotoComesBackOnce) {
    using Payloads = std::vector<std::optional<std::string>>;
    const std::string tel = "TEL:0102030405", url = "http://example.org/a";
    const platform::Error notFound{"", 0, {{"message", "aucun contenu associé au code"}}};
    const std::vector<std::pair<PictureScanner::Photo, Payloads>> rows = {
        {servicetest::photoOf({{tel, 0.25, 0.5, 0.35}, {url, 0.75, 0.5, 0.35}}), {tel, url}},
        // A code whose bytes are no text: found, but it gives no image (nothing to show).
        {servicetest::photoOf({{std::string("\xFF\x00\xFE", 3), 0.5, 0.5, 0.4}}), {std::nullopt}},
        {servicetest::photoOf({}), {}},
        {*PictureScanner::Photo::make(*platform::graphics::Bitmap::make(1, 1)), {}},
    };
    for (const auto& [photo, payloads] : rows) {
        SCOPED_TRACE(payloads.size());
        // The raw search calls back before it returns, with the codes in the detector's
        // order; the image is built in it.
        Payloads inOrder;
        int rawCalls = 0;
        PictureScanner().searchRawBarCode(photo, [&](auto features, auto error) {
            ++rawCalls;
            EXPECT_FALSE(error);
            for (const auto& f : features.value()) inOrder.push_back(f.messageString);
        });
        EXPECT_EQ(rawCalls, 1);
        Payloads sorted = inOrder;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(sorted, payloads);

        bool readable = std::any_of(inOrder.begin(), inOrder.end(), [](const auto& text) { return text.has_value(); });
        Outcome<platform::Error> outcome;
        PictureScanner().searchBarCode(photo, outcome.record());
        outcome.wait();
        EXPECT_EQ(std::tuple(outcome.calls.load(), outcome.onMain, outcome.error, outcome.image),
                  std::tuple(1, readable, readable ? std::nullopt : std::optional(notFound),
                             readable ? std::optional(vistrel::Image::fromQrcodeFeatures(inOrder)) : std::nullopt));
    }
}

}  // namespace
