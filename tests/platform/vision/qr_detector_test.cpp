// QR codes found in photos of printed pages, drawn the way a phone camera sees them.
#include "vistrel/platform/vision/qr_detector.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "support/qr/qr_pictures.hpp"

namespace {

using platform::graphics::Image;
using platform::vision::detectQRCodes;
using Payloads = std::vector<std::optional<std::string>>;
using qrtest::Scene;

const std::string kUrl = "https://example.org/page/42";

std::optional<std::vector<platform::vision::QRCodeFeature>> detect(const Scene& scene) {
    return detectQRCodes(*Image::decode(qrtest::sceneJpeg(scene)));
}

TEST(QRDetector, FindsEveryCodeACarefulReaderWould) {
    const std::string tel = "TEL:+33 1 23 45 67 89", sms = "SMSTO:0612345678:hello";
    const std::vector<std::tuple<const char*, Scene, Payloads>> rows = {
        {"one", {.codes = {{kUrl}}}, {kUrl}},
        {"several", {.codes = {{tel, 0.2, 0.25, 0.22}, {sms, 0.75, 0.3, 0.2, 10}, {kUrl, 0.5, 0.75, 0.22, -20}}},
         {sms, tel, kUrl}},
        {"none", {}, {}},
        {"rotated", {.codes = {{kUrl, 0.5, 0.5, 0.3, 33}}}, {kUrl}},
        {"upside down", {.codes = {{kUrl, 0.5, 0.5, 0.3, 180}}}, {kUrl}},
        {"in perspective", {.codes = {{kUrl}}, .perspective = 0.35}, {kUrl}},
        {"blurred", {.codes = {{kUrl}}, .blur = 2}, {kUrl}},
        {"noisy", {.codes = {{kUrl}}, .noise = 25}, {kUrl}},
        {"low contrast", {.codes = {{kUrl}}, .contrast = 0.3}, {kUrl}},
        {"low light", {.codes = {{kUrl}}, .noise = 4, .light = 0.3}, {kUrl}},
        {"small", {.codes = {{kUrl, 0.3, 0.6, 0.1}}}, {kUrl}},
        {"all at once",
         {.codes = {{kUrl, 0.4, 0.45, 0.25, 160}}, .perspective = 0.2, .blur = 1, .noise = 8, .contrast = 0.6, .light = 0.7},
         {kUrl}},
        // Read only on the second, smoothed look.
        {"dim, grainy and soft",
         {.codes = {{kUrl, 0.4, 0.45, 0.2, 160}}, .blur = 1, .noise = 20, .contrast = 0.6, .light = 0.7, .seed = 5},
         {kUrl}},
        {"utf-8 text", {.codes = {{"Crème brûlée ✓"}}}, {"Crème brûlée ✓"}},
        {"bytes that are no text", {.codes = {{std::string("\x00\xFF\xFE\x80\x81 bin", 9)}}}, {std::nullopt}},
    };
    for (const auto& [name, scene, payloads] : rows) {
        SCOPED_TRACE(name);
        auto found = detect(scene);
        ASSERT_TRUE(found.has_value());
        Payloads texts;
        for (const auto& f : *found) texts.push_back(f.messageString);
        std::sort(texts.begin(), texts.end());
        EXPECT_EQ(texts, payloads);
    }
}

// The corners are those of the code as printed, in pixels of the photo: upside down,
// its top-left corner lies at the bottom right.
TEST(QRDetector, CornersFollowTheCodeAsPrinted) {
    for (double angle : {0.0, 180.0}) {
        auto found = detect({.codes = {{kUrl, 0.5, 0.5, 0.3, angle}}});
        ASSERT_TRUE(found && found->size() == 1);
        const auto& corners = found->front().corners;
        double cx = 0, cy = 0;
        for (const auto& p : corners) cx += p.x / 4, cy += p.y / 4;
        EXPECT_NEAR(cx, 500, 8);
        EXPECT_NEAR(cy, 375, 8);
        const bool upright = angle == 0;
        EXPECT_EQ(corners[0].x < cx && corners[0].y < cy, upright);
        EXPECT_EQ(corners[2].x > cx && corners[2].y > cy, upright);
        // The printed side with its quiet zone is 0.3 of the page (880 pixels): 25 of its 33 modules are code.
        EXPECT_NEAR(std::hypot(corners[1].x - corners[0].x, corners[1].y - corners[0].y), 0.3 * 880 * 25 / 33, 15);
    }
}

}  // namespace
