#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/dispatch/queue.hpp"
#include "platform/dispatch/run_loop.hpp"
#include "core/vistrel_bundle.hpp"
#include "platform/foundation/log.hpp"
#include "service/picture_scanner.hpp"
#include "service_waiting.hpp"
#include "support/qr/qr_pictures.hpp"
#include "support/recognition_service.hpp"

namespace {

using namespace std::chrono_literals;
using vistrel::PictureScanner;
using vistrel::VistrelError;

PictureScanner::Photo page(bool withCode) {
    if (!withCode) return servicetest::photo();
    return *PictureScanner::Photo::decode(
        qrtest::sceneJpeg({.width = 480, .height = 360, .codes = {{"TEL:0612345678", 0.5, 0.5, 0.5}}}));
}

struct Outcome {
    int calls = 0;
    bool onMain = false;
    std::optional<VistrelError> error;
    std::optional<std::string> title;
    std::optional<std::vector<std::string>> actions;  // the names, in order
};

// One scan, run to its end on the main run loop.
Outcome scan(const PictureScanner::Photo& photo) {
    Outcome outcome;
    PictureScanner().groupedRequests(photo, [&](std::optional<vistrel::Image> image, std::optional<VistrelError> error) {
        ++outcome.calls;
        outcome.onMain = platform::dispatch::main().isCurrent();
        outcome.error = error;
        if (!image) return;
        outcome.title = image->title;
        if (image->actions) {
            outcome.actions.emplace();
            for (const auto& action : *image->actions) outcome.actions->push_back(action.name.value_or("?"));
        }
    });
    platform::dispatch::RunLoop::runUntil([&] { return outcome.calls > 0; }, 10s);
    platform::dispatch::RunLoop::runFor(20ms);  // a second call would come now
    return outcome;
}

using Names = std::vector<std::string>;

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
    };
    for (const Row& row : rows) {
        // At once, the answer usually comes before the codes; late, always after them.
        for (auto delay : {0ms, 150ms}) {
            SCOPED_TRACE(testing::Message() << row.name << ", answer after " << delay.count() << " ms");
            auto answer = row.answer;
            answer.delay = delay;
            service.server.answer(answer);
            platform::LogCapture log;
            Outcome outcome = scan(page(row.code));
            EXPECT_EQ(outcome.calls, 1);
            EXPECT_TRUE(outcome.onMain);
            EXPECT_EQ(log.count("Finished all requests"), 1u);
            EXPECT_EQ(outcome.title, row.title);
            EXPECT_EQ(outcome.actions, row.actions);
            EXPECT_EQ(outcome.error, row.title ? std::nullopt : std::optional(VistrelError::notEnrichedImage));
        }
    }
}

TEST(ScanPipelineTest, ScansAtTheSameTimeKeepTheirOwnResults) {
    testsupport::RecognitionService service;
    service.server.answer({200, R"({"Title":"Page"})", {}});
    int done = 0;
    std::optional<std::size_t> plain, withCode;  // the number of actions each scan got
    auto actionsInto = [&](std::optional<std::size_t>& count) {
        return [&](std::optional<vistrel::Image> image, auto) {
            if (image) count = image->actions ? image->actions->size() : 0;
            ++done;
        };
    };
    PictureScanner scanner;
    scanner.groupedRequests(page(false), actionsInto(plain));
    scanner.groupedRequests(page(true), actionsInto(withCode));
    platform::dispatch::RunLoop::runUntil([&] { return done == 2; }, 10s);
    EXPECT_EQ(plain, 0u);
    EXPECT_EQ(withCode, 1u);
}

}  // namespace
