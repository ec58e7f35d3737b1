// The photo fitted into the upload square and turned grey on request.
#include "vistrel/service/upload_photo.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "vistrel/platform/foundation/log.hpp"

namespace {

using platform::graphics::Image;
using vistrel::VistrelTools::resizeImage;

// A photo whose left half is red and right half blue.
Image photo(int width, int height, double scale = 1) {
    auto bitmap = platform::graphics::Bitmap::make(width, height);
    std::uint32_t* pixels = bitmap->data();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) *pixels++ = x < width / 2 ? 0xFFFF0000u : 0xFF0000FFu;
    return *Image::make(std::move(*bitmap), scale);
}

TEST(ResizeImage, LongerSideBecomesTheConfiguredSide) {
    struct Row {
        int width, height;
        double scale, side;
        int expectedWidth, expectedHeight;  // 0: no picture
    };
    const Row rows[] = {
        {4000, 3000, 1, 1000, 1000, 750},
        {3000, 4000, 1, 1000, 750, 1000},
        {500, 250, 1, 1000, 1000, 500},  // scaled up
        {1000, 4, 1, 100, 100, 1},  // never below a pixel
        {1200, 900, 3, 1000, 1000, 750},  // sizes in points: 400 x 300
        {1000, 1001, 1, 1024, 1023, 1024},  // a fractional side rounds
        {400, 300, 1, 0, 0, 0},
        {400, 300, 1, std::nan(""), 0, 0},
        {400, 300, 1, INFINITY, 0, 0},
        {400, 300, 1, 1e12, 0, 0},  // larger than any bitmap
    };
    platform::LogCapture log;
    for (const Row& row : rows) {
        for (bool grey : {false, true}) {
            SCOPED_TRACE(testing::Message() << row.width << "x" << row.height << " side " << row.side << " grey " << grey);
            auto resized = resizeImage(photo(row.width, row.height, row.scale), row.side, grey);
            ASSERT_EQ(resized.has_value(), row.expectedWidth != 0);
            if (!resized) continue;
            EXPECT_EQ(std::tuple(resized->pixelWidth(), resized->pixelHeight(), resized->scale(), resized->isGrey()),
                      std::tuple(row.expectedWidth, row.expectedHeight, 1.0, grey));
        }
    }
    // The size is logged before it is held to a pixel.
    EXPECT_TRUE(log.contains("resize image, new size :: (100.0, 0.4)"));
}

// Grey made before scaling (as the upload does it) equals grey made after it.
TEST(ResizeImage, KeepsThePictureInColourAndInGrey) {
    auto colour = resizeImage(photo(4000, 3000), 1000, false);
    auto grey = resizeImage(photo(4000, 3000), 1000, true);
    auto greyOfColour = vistrel::VistrelTools::imageToGrayScale(*colour);
    ASSERT_TRUE(colour && grey && greyOfColour);
    EXPECT_NEAR(colour->bitmap().pixel(100, 300).r + colour->bitmap().pixel(900, 300).b, 2, 0.02);
    for (int x : {100, 499, 500, 900})
        EXPECT_NEAR(grey->bitmap().pixel(x, 300).r, greyOfColour->bitmap().pixel(x, 300).r, 1.5 / 255) << x;
    EXPECT_NEAR(grey->bitmap().pixel(100, 300).r, 0.299, 0.01);
}

}  // namespace
