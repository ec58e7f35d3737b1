// The photo fitted into the upload square and turned grey on request.
#include "service/upload_photo.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "core/sdk_configuration.hpp"
#include "core/vistrel_bundle.hpp"
#include "core/vistrel_pref.hpp"
#include "platform/foundation/log.hpp"
#include "platform/foundation/user_defaults.hpp"
#include "platform/graphics/jpeg_encoding.hpp"
#include "support/temp_dir.hpp"

namespace {

using platform::graphics::Bitmap;
using platform::graphics::Color;
using platform::graphics::Image;
using vistrel::VistrelTools::resizeImage;

// A photo whose left half is red and right half blue, at a scale of its own.
Image photo(int width, int height, double scale = 1) {
    auto bitmap = Bitmap::make(width, height);
    std::uint32_t* pixels = bitmap->data();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) *pixels++ = x < width / 2 ? 0xFFFF0000u : 0xFF0000FFu;
    return *Image::make(std::move(*bitmap), scale);
}

struct Row {
    int width, height;
    double scale, side;
    int expectedWidth, expectedHeight;  // 0: no picture
    const char* line;                   // the console line, or none
};

TEST(ResizeImage, LongerSideBecomesTheConfiguredSide) {
    const double nan = std::nan("");
    const Row rows[] = {
        {4000, 3000, 1, 1000, 1000, 750, "resize image, new size :: (1000.0, 750.0)"},
        {3000, 4000, 1, 1000, 750, 1000, "resize image, new size :: (750.0, 1000.0)"},
        {500, 250, 1, 1000, 1000, 500, "resize image, new size :: (1000.0, 500.0)"},  // scaled up
        {640, 640, 1, 1000, 1000, 1000, "resize image, new size :: (1000.0, 1000.0)"},
        {1000, 4, 1, 100, 100, 1, "resize image, new size :: (100.0, 0.4)"},  // never below a pixel
        {1200, 900, 3, 1000, 1000, 750, nullptr},  // sizes in points: 400 x 300
        {1000, 1001, 1, 1024, 1023, 1024, nullptr},  // a fractional side rounds
        {400, 300, 1, 0, 0, 0, nullptr},
        {400, 300, 1, -1, 0, 0, nullptr},
        {400, 300, 1, nan, 0, 0, nullptr},
        {400, 300, 1, INFINITY, 0, 0, nullptr},
        {400, 300, 1, 1e12, 0, 0, nullptr},  // larger than any bitmap
    };
    for (const Row& row : rows) {
        for (bool grey : {false, true}) {
            SCOPED_TRACE(testing::Message() << row.width << "x" << row.height << " side " << row.side << " grey " << grey);
            platform::LogCapture log;
            auto resized = resizeImage(photo(row.width, row.height, row.scale), row.side, grey);
            if (row.expectedWidth == 0) {
                EXPECT_FALSE(resized);
                continue;
            }
            ASSERT_TRUE(resized);
            EXPECT_EQ(resized->pixelWidth(), row.expectedWidth);
            EXPECT_EQ(resized->pixelHeight(), row.expectedHeight);
            EXPECT_EQ(resized->scale(), 1);
            EXPECT_EQ(resized->isGrey(), grey);
            if (row.line) {
                EXPECT_EQ(log.lines(), std::vector<std::string>{row.line});
            }
        }
    }
}

TEST(ResizeImage, KeepsThePictureAndGreyGivesOneChannel) {
    auto colour = resizeImage(photo(4000, 3000), 1000, false);
    auto grey = resizeImage(photo(4000, 3000), 1000, true);
    ASSERT_TRUE(colour && grey);
    Color left = colour->bitmap().pixel(100, 300), right = colour->bitmap().pixel(900, 300);
    EXPECT_NEAR(left.r, 1, 0.01);
    EXPECT_NEAR(left.b, 0, 0.01);
    EXPECT_NEAR(right.b, 1, 0.01);
    // Grey made before scaling equals grey made after it.
    Color greyLeft = grey->bitmap().pixel(100, 300), greyRight = grey->bitmap().pixel(900, 300);
    auto greyOfColour = vistrel::VistrelTools::imageToGrayScale(*colour);
    ASSERT_TRUE(greyOfColour);
    EXPECT_NEAR(greyLeft.r, greyOfColour->bitmap().pixel(100, 300).r, 1.5 / 255);
    EXPECT_NEAR(greyRight.r, greyOfColour->bitmap().pixel(900, 300).r, 1.5 / 255);
    EXPECT_NEAR(greyLeft.r, 0.299, 0.01);
    EXPECT_NEAR(greyRight.r, 0.114, 0.01);
    // The upload of a grey photo is a one-channel JPEG, and smaller than the colour one.
    auto greyJpeg = platform::graphics::encodeJpeg(*grey, 0.8), colourJpeg = platform::graphics::encodeJpeg(*colour, 0.8);
    ASSERT_TRUE(greyJpeg && colourJpeg);
    auto decoded = Image::decode(*greyJpeg);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->pixelWidth(), 1000);
    EXPECT_LT(greyJpeg->size(), colourJpeg->size());
}

// Without arguments the side comes from the configuration and the grey from the preference.
TEST(ResizeImage, ReadsTheConfiguredSideAndThePreference) {
    testsupport::TempDir dir;
    platform::UserDefaults::resetStandard(dir / "preferences.plist");
    vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{VISTREL_BUILD_BUNDLE});
    const double side = vistrel::SdkConfiguration::shared().floatValueForKey(vistrel::ConfigurationKey::sdkImageSendWidth);
    for (bool grey : {true, false}) {
        vistrel::VistrelPref::setUseBlackAndWhite(grey);
        auto resized = resizeImage(photo(300, 200));
        if (side <= 0) {
            EXPECT_FALSE(resized);
            continue;
        }
        ASSERT_TRUE(resized);
        EXPECT_EQ(resized->pixelWidth(), std::lround(side));
        EXPECT_EQ(resized->isGrey(), grey);
    }
    vistrel::overrideBundleLocations(std::nullopt);
    platform::UserDefaults::resetStandard();
}

}  // namespace
