// QR codes found in photos of printed pages, drawn the way a phone camera sees them.
#include "platform/vision/qr_detector.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "platform/graphics/image.hpp"
#include "support/qr/qr_pictures.hpp"

namespace {

using platform::graphics::Image;
using platform::vision::detectQRCodes;
using platform::vision::QRCodeFeature;
using qrtest::Code;
using qrtest::Scene;

const std::string kUrl = "https://example.org/page/42";

Scene scene(std::vector<Code> codes) {
    Scene s;
    s.width = 1000;
    s.height = 750;
    s.codes = std::move(codes);
    return s;
}

template <class Change>
Scene with(Scene s, Change change) {
    change(s);
    return s;
}

struct Case {
    const char* name;
    Scene scene;
    std::vector<std::optional<std::string>> payloads;  // sorted
};

std::vector<Case> cases() {
    const Scene one = scene({{kUrl, 0.5, 0.5, 0.3, 0}});
    return {
        {"one", one, {kUrl}},
        {"several",
         scene({{"TEL:+33 1 23 45 67 89", 0.2, 0.25, 0.22, 0},
                {"SMSTO:0612345678:hello", 0.75, 0.3, 0.2, 10},
                {kUrl, 0.5, 0.75, 0.22, -20}}),
         {"SMSTO:0612345678:hello", "TEL:+33 1 23 45 67 89", kUrl}},
        {"none", scene({}), {}},
        {"rotated", scene({{kUrl, 0.5, 0.5, 0.3, 33}}), {kUrl}},
        {"upside down", scene({{kUrl, 0.5, 0.5, 0.3, 180}}), {kUrl}},
        {"in perspective", with(one, [](Scene& s) { s.perspective = 0.35; }), {kUrl}},
        {"blurred", with(one, [](Scene& s) { s.blur = 2; }), {kUrl}},
        {"noisy", with(one, [](Scene& s) { s.noise = 25; }), {kUrl}},
        {"low contrast", with(one, [](Scene& s) { s.contrast = 0.3; }), {kUrl}},
        {"low light", with(one, [](Scene& s) { s.light = 0.3, s.noise = 4; }), {kUrl}},
        {"small", scene({{kUrl, 0.3, 0.6, 0.1, 0}}), {kUrl}},
        {"all at once",
         with(scene({{kUrl, 0.4, 0.45, 0.25, 160}}),
              [](Scene& s) { s.perspective = 0.2, s.blur = 1, s.noise = 8, s.contrast = 0.6, s.light = 0.7; }),
         {kUrl}},
        {"dim, grainy and soft",
         with(scene({{kUrl, 0.4, 0.45, 0.2, 160}}),
              [](Scene& s) { s.blur = 1, s.noise = 20, s.contrast = 0.6, s.light = 0.7, s.seed = 5; }),
         {kUrl}},
        {"utf-8 text", scene({{"Crème brûlée ✓", 0.5, 0.5, 0.3, 0}}), {"Crème brûlée ✓"}},
        {"bytes that are no text", scene({{std::string("\x00\xFF\xFE\x80\x81 bin", 9), 0.5, 0.5, 0.3, 0}}),
         {std::nullopt}},
    };
}

Image photoOf(const Scene& s) {
    auto image = Image::decode(qrtest::sceneJpeg(s));
    EXPECT_TRUE(image.has_value());
    return *image;
}

TEST(QRDetector, FindsEveryCodeACarefulReaderWould) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        auto found = detectQRCodes(photoOf(c.scene));
        ASSERT_TRUE(found.has_value());
        std::vector<std::optional<std::string>> payloads;
        for (const QRCodeFeature& f : *found) payloads.push_back(f.messageString);
        std::sort(payloads.begin(), payloads.end());
        EXPECT_EQ(payloads, c.payloads);
    }
}

// The corners are those of the code as printed, in pixels of the photo: upside down,
// its top-left corner lies at the bottom right.
TEST(QRDetector, CornersFollowTheCodeAsPrinted) {
    for (double angle : {0.0, 180.0}) {
        auto found = detectQRCodes(photoOf(scene({{kUrl, 0.5, 0.5, 0.3, angle}})));
        ASSERT_TRUE(found && found->size() == 1);
        const auto& corners = found->front().corners;
        double cx = 0, cy = 0;
        for (const auto& p : corners) cx += p.x / 4, cy += p.y / 4;
        EXPECT_NEAR(cx, 500, 8);
        EXPECT_NEAR(cy, 375, 8);
        const bool upright = angle == 0;
        EXPECT_EQ(corners[0].x < cx, upright);
        EXPECT_EQ(corners[0].y < cy, upright);
        EXPECT_EQ(corners[2].x > cx, upright);
        // The printed side with the quiet zone is 0.3 of the page; the code itself a bit less.
        EXPECT_NEAR(std::hypot(corners[1].x - corners[0].x, corners[1].y - corners[0].y), 0.3 * 880 * 25 / 33, 15);
    }
}

}  // namespace
