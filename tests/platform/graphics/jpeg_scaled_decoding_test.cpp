// Card-sized decoding of large photos: the smallest of the decoder's scales that still
// covers the size asked for, upright by the Exif orientation.
#include <gtest/gtest.h>

#include <vector>

#include "platform/graphics/image.hpp"
#include "platform/graphics/jpeg_scaled_decoding.hpp"
#include "support/qr/qr_pictures.hpp"
#include "support/temp_dir.hpp"

namespace {

using platform::graphics::decodeJpegCovering;
using platform::graphics::jpegScaleCovering;

// A picture whose left half is red and right half blue, stored turned as `orientation`
// says (6: the camera held upright, the stored rows run top to bottom of the scene).
std::string halves(int width, int height, int orientation = 1) {
    std::vector<std::uint8_t> rgb;
    rgb.reserve(std::size_t(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            // Orientation 6 shows stored row y as column (height - 1 - y): stored top is the right side.
            const bool red = orientation == 6 ? y >= height / 2 : x < width / 2;
            rgb.insert(rgb.end(), {std::uint8_t(red ? 255 : 0), 0, std::uint8_t(red ? 0 : 255)});
        }
    return qrtest::encodeRgbJpeg(rgb, width, height, 90, orientation);
}

TEST(JpegScaledDecoding, PicksTheSmallestScaleThatCovers) {
    struct Row {
        int storedWidth, storedHeight, orientation, width, height;
        int expectWidth, expectHeight;
    };
    const Row rows[] = {
        {4032, 3024, 1, 345, 360, 504, 378},    // an eighth covers a card
        {4032, 3024, 1, 345, 400, 1008, 756},   // 378 rows are too few: a quarter
        {4032, 3024, 6, 400, 345, 1008, 756},   // turned: the shown width is the stored height
        {4032, 3024, 1, 5000, 5000, 4032, 3024},  // larger than the photo: the whole photo
        {4032, 3024, 1, 0, -3, 504, 378},       // no size: the smallest scale
        {100, 80, 1, 13, 10, 13, 10},           // 100/8 rounds up
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.width);
        auto size = jpegScaleCovering(row.storedWidth, row.storedHeight, row.orientation, row.width, row.height);
        EXPECT_EQ(size.width, row.expectWidth);
        EXPECT_EQ(size.height, row.expectHeight);
    }
}

TEST(JpegScaledDecoding, DecodesSmallAndUpright) {
    auto plain = decodeJpegCovering(halves(800, 600), 100, 75);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->pixelWidth(), 100);
    EXPECT_EQ(plain->pixelHeight(), 75);
    EXPECT_GT(plain->bitmap().pixel(10, 37).r, 0.9);
    EXPECT_GT(plain->bitmap().pixel(90, 37).b, 0.9);

    // Stored 800 x 600 turned a quarter: shown 600 x 800, red on the left.
    auto turned = decodeJpegCovering(halves(800, 600, 6), 75, 100);
    ASSERT_TRUE(turned);
    EXPECT_EQ(turned->pixelWidth(), 75);
    EXPECT_EQ(turned->pixelHeight(), 100);
    EXPECT_GT(turned->bitmap().pixel(10, 50).r, 0.9);
    EXPECT_GT(turned->bitmap().pixel(65, 50).b, 0.9);
}

TEST(JpegScaledDecoding, RefusesWhatIsNoJpeg) {
    EXPECT_FALSE(decodeJpegCovering("", 10, 10));
    EXPECT_FALSE(decodeJpegCovering("\xFF\xD8\xFF not a picture", 10, 10));
    testsupport::TempDir dir;
    EXPECT_FALSE(platform::graphics::decodeJpegFileCovering(dir / "missing.jpg", 10, 10));
    auto file = dir.write("photo.jpg", halves(64, 48));
    auto decoded = platform::graphics::decodeJpegFileCovering(file, 16, 12);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->pixelWidth(), 16);
}

}  // namespace
