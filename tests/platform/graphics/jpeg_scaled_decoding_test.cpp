// Card-sized decoding of large photos: the smallest of the decoder's scales that still
// covers the size asked for, upright by the Exif orientation.
#include <gtest/gtest.h>

#include "support/qr/qr_pictures.hpp"
#include "vistrel/platform/graphics/jpeg_scaled_decoding.hpp"

namespace {

using platform::graphics::decodeJpegCovering;

TEST(JpegScaledDecoding, PicksTheSmallestScaleThatCovers) {
    struct Row {
        int orientation, width, height, expectWidth, expectHeight;
    };
    const Row rows[] = {
        {1, 345, 376, 504, 378},     // an eighth of a 4032 x 3024 photo covers a card
        {1, 345, 400, 1008, 756},    // 378 rows are too few: a quarter
        {6, 400, 345, 1008, 756},    // turned: the shown width is the stored height
        {1, 5000, 5000, 4032, 3024},  // larger than the photo: the whole photo
        {1, 0, -3, 504, 378},        // no size: the smallest scale
    };
    for (const auto& row : rows) {
        auto size = platform::graphics::jpegScaleCovering(4032, 3024, row.orientation, row.width, row.height);
        EXPECT_EQ(std::pair(size.width, size.height), std::pair(row.expectWidth, row.expectHeight)) << row.height;
    }
}

TEST(JpegScaledDecoding, DecodesSmallAndUprightAndRefusesWhatIsNoJpeg) {
    // Stored 800 x 600 turned a quarter by its Exif block: shown 600 x 800, red on the left.
    std::vector<std::uint8_t> rgb;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) rgb.insert(rgb.end(), {std::uint8_t(y >= 300 ? 255 : 0), 0, std::uint8_t(y >= 300 ? 0 : 255)});
    auto turned = decodeJpegCovering(qrtest::encodeRgbJpeg(rgb, 800, 600, 90, 6), 75, 100);
    ASSERT_TRUE(turned);
    EXPECT_EQ(std::pair(turned->pixelWidth(), turned->pixelHeight()), std::pair(75, 100));
    EXPECT_GT(turned->bitmap().pixel(10, 50).r, 0.9);
    EXPECT_GT(turned->bitmap().pixel(65, 50).b, 0.9);
    EXPECT_FALSE(decodeJpegCovering("\xFF\xD8\xFF not a picture", 10, 10));
}

}  // namespace
