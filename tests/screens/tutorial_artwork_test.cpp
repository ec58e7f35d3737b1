// The pictures drawn at build time: the bundle's images and the sample page photo that
// the kit's QR search reads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "core/vistrel_bundle.hpp"
#include "platform/dispatch/run_loop.hpp"
#include "platform/ui/image_named.hpp"
#include "screens/tutorial_content_view_controller.hpp"
#include "service/picture_scanner.hpp"

namespace {

using namespace std::chrono_literals;

// Whether some pixel is opaque white and some fully transparent.
bool isWhiteOnClear(const platform::graphics::Image& image) {
    bool white = false, clear = false;
    const auto& bitmap = image.bitmap();
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x) {
            const auto colour = bitmap.pixel(x, y);
            white = white || colour.isClose(platform::graphics::Color::white(), 0.01);
            clear = clear || colour.a == 0;
        }
    return white && clear;
}

}  // namespace

TEST(TutorialArtworkTest, TheBuildBundleHoldsTheDrawnImages) {
    vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{VISTREL_BUILD_BUNDLE});
    auto bundle = vistrel::vistrelBundle();
    vistrel::overrideBundleLocations(std::nullopt);
    ASSERT_TRUE(bundle);
    struct Row {
        std::string name;
        platform::graphics::Size points;
    };
    std::vector<Row> rows = {{"question_mark", {24, 24}}, {"info", {24, 24}}};
    for (int k = 0; k < 4; ++k) rows.push_back({"tuto_page_indicator_" + std::to_string(k), {72, 18}});
    for (auto name : vistrel::kTutorialSlideImageNames) rows.push_back({std::string(name), {240, 240}});
    for (const Row& row : rows) {
        auto image = platform::ui::imageNamed(row.name, bundle.get());
        ASSERT_TRUE(image) << row.name;
        EXPECT_EQ(image->scale(), 2) << row.name;
        EXPECT_EQ(image->size(), row.points) << row.name;
        EXPECT_TRUE(isWhiteOnClear(*image)) << row.name;
    }
}

TEST(TutorialArtworkTest, TheKitFindsTheCodeOnTheSamplePage) {
    auto photo = platform::graphics::Image::fromFile(VISTREL_SAMPLE_PAGE);
    ASSERT_TRUE(photo);
    EXPECT_GE(photo->pixelWidth(), 800);
    vistrel::PictureScanner scanner;
    std::optional<std::string> payload;
    scanner.searchRawBarCode(*photo, [&](auto features, auto) {
        if (features && features->size() == 1) payload = features->front().messageString;
    });
    ASSERT_TRUE(payload);
    EXPECT_EQ(payload->rfind("https://", 0), 0u) << *payload;
    // The scan's QR job makes an image of one action from it.
    std::atomic<bool> done = false;
    std::optional<vistrel::Image> image;
    scanner.searchBarCode(*photo, [&](std::optional<vistrel::Image> found, auto) {
        image = std::move(found);
        done = true;
    });
    ASSERT_TRUE(platform::dispatch::RunLoop::runUntil([&] { return done.load(); }, 20s));
    ASSERT_TRUE(image && image->actions);
    EXPECT_EQ(image->actions->size(), 1u);
}
