// The QR job of a scan: where it calls back, with what, and only once.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>

#include "platform/dispatch/main_thread.hpp"
#include "platform/dispatch/run_loop.hpp"
#include "service/picture_scanner.hpp"
#include "support/qr/qr_pictures.hpp"

namespace {

using namespace std::chrono_literals;
using platform::dispatch::RunLoop;
using vistrel::PictureScanner;
using Payloads = std::vector<std::optional<std::string>>;

PictureScanner::Photo photoOf(std::vector<qrtest::Code> codes) {
    return *PictureScanner::Photo::decode(qrtest::sceneJpeg({.width = 640, .height = 480, .codes = std::move(codes)}));
}

struct Report {
    std::mutex lock;
    int calls = 0;
    bool onMainThread = false;
    std::optional<vistrel::Image> image;
    std::optional<platform::Error> error;
};

// Runs the job and the main queue until it has called back, then a little longer to
// see that it does not call again.
std::shared_ptr<Report> search(const PictureScanner::Photo& photo) {
    auto report = std::make_shared<Report>();
    PictureScanner().searchBarCode(photo, [report](auto image, auto error) {
        std::lock_guard guard(report->lock);
        ++report->calls;
        report->onMainThread = platform::dispatch::isMainThread();
        report->image = std::move(image);
        report->error = std::move(error);
    });
    EXPECT_TRUE(RunLoop::runUntil([&] { std::lock_guard guard(report->lock); return report->calls > 0; }, 20s));
    RunLoop::runFor(20ms);
    return report;
}

TEST(SearchBarCode, FoundCodesComeBackOnceOnTheMainQueueAsOneImage) {
    const std::string tel = "TEL:0102030405", url = "http://example.org/a";
    const std::vector<std::pair<std::vector<qrtest::Code>, Payloads>> rows = {
        {{{url, 0.5, 0.5, 0.4}}, {url}},
        {{{tel, 0.25, 0.5, 0.35}, {url, 0.75, 0.5, 0.35}}, {tel, url}},
        // A code whose bytes are no text: found, but it gives no image (nothing to show).
        {{{std::string("\xFF\x00\xFE", 3), 0.5, 0.5, 0.4}}, {std::nullopt}},
    };
    for (const auto& [codes, payloads] : rows) {
        auto photo = photoOf(codes);
        // The raw search gives the codes in the detector's order; the image is built in it.
        Payloads inOrder;
        PictureScanner().searchRawBarCode(photo, [&](auto features, auto) {
            for (const auto& f : features.value()) inOrder.push_back(f.messageString);
        });
        Payloads sorted = inOrder;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(sorted, payloads);

        bool readable = std::any_of(inOrder.begin(), inOrder.end(), [](const auto& text) { return text.has_value(); });
        auto report = search(photo);
        EXPECT_EQ(report->calls, 1);
        EXPECT_EQ(report->onMainThread, readable);
        EXPECT_EQ(report->error.has_value(), !readable);
        EXPECT_EQ(report->image, readable ? std::optional(vistrel::Image::fromQrcodeFeatures(inOrder)) : std::nullopt);
    }
}

TEST(SearchBarCode, NoCodeComesBackOnceOffTheMainQueueWithTheNotFoundError) {
    const platform::Error notFound{"", 0, {{"message", "aucun contenu associé au code"}}};
    auto tiny = PictureScanner::Photo::make(*platform::graphics::Bitmap::make(1, 1));
    for (const auto& photo : {photoOf({}), *tiny}) {
        auto report = search(photo);
        EXPECT_EQ(report->calls, 1);
        EXPECT_FALSE(report->onMainThread);
        EXPECT_FALSE(report->image);
        EXPECT_EQ(report->error, notFound);
    }
}

TEST(SearchRawBarCode, CallsBackBeforeItReturnsEvenWithNothingFound) {
    int calls = 0;
    PictureScanner().searchRawBarCode(photoOf({}), [&](auto features, auto error) {
        ++calls;
        EXPECT_TRUE(features && features->empty());
        EXPECT_FALSE(error);
    });
    EXPECT_EQ(calls, 1);
}

}  // namespace
