// Pictures decoded at the size they are shown: huge ones come out small without being
// held at full size, and what is over a limit is refused with the limit named.
#include <gtest/gtest.h>

#include "image_fixtures.hpp"
#include "png_rows.hpp"
#include "progressive_jpeg.hpp"
#include "vistrel/platform/graphics/display_decoding.hpp"
#include "vistrel/platform/graphics/image_header.hpp"

namespace {

using namespace platform::graphics;
using imagetest::Rgba;

TEST(DisplayDecodingTest, SizeCoversTheAskedSizeUnderThePixelBound) {
    struct Row {
        int width, height, coverWidth, coverHeight;
        long long maxPixels;
        int expectWidth, expectHeight;
    };
    const Row rows[] = {
        {8192, 8192, 96, 96, 1 << 20, 96, 96},
        {8192, 3000, 700, 100, 1 << 20, 700, 256},    // the width covers; the height follows
        {3000, 8192, 100, 100, 1 << 20, 100, 273},
        {50, 20, 100, 100, 1 << 20, 50, 20},          // never enlarged
        {4000, 4000, 0, 0, 1 << 20, 1024, 1024},      // no size asked: the bound alone
        {4000, 4000, 0, 500, 1 << 20, 500, 500},      // one side asked
        {16384, 2, 10, 10, 1 << 20, 16384, 2},        // covering needs it whole
        {16384, 2, 10, 10, 4096, 4096, 1},            // then the bound shrinks it
        {0, 10, 5, 5, 1 << 20, 0, 0},
    };
    for (const Row& r : rows) {
        const auto size = displayPixelSize(r.width, r.height, r.coverWidth, r.coverHeight, r.maxPixels);
        EXPECT_EQ(std::pair(size.width, size.height), std::pair(r.expectWidth, r.expectHeight))
            << r.width << " x " << r.height << " covering " << r.coverWidth << " x " << r.coverHeight;
    }
}

TEST(DisplayDecodingTest, HeadersGiveTheShownSizeWithoutDecoding) {
    const auto png = readImageHeader(imagetest::twoColourPng(300, 200, {0, 0, 0, 255}, {0, 0, 0, 255}, true));
    const auto gif = readImageHeader(imagetest::encodeGif(4096, 4096, {{0, 0, 0, 255}}, {}));
    const auto jpeg = readImageHeader(imagetest::encodeJpeg(imagetest::Picture(30, 20, {1, 2, 3, 255})));
    ASSERT_TRUE(png && gif && jpeg);
    EXPECT_EQ(std::tuple(png->format, png->width, png->height, png->storedInPasses),
              std::tuple(ImageFormat::png, 300, 200, true));
    EXPECT_EQ(std::tuple(gif->format, gif->width, gif->height), std::tuple(ImageFormat::gif, 4096, 4096));
    EXPECT_EQ(std::tuple(jpeg->format, jpeg->width, jpeg->height, jpeg->storedInPasses),
              std::tuple(ImageFormat::jpeg, 30, 20, false));
    // Scans over the whole picture: a progressive file, and one whose first scan holds
    // one of its three colour components (the baseline file's scan header rewritten).
    std::string oneComponentFirst = imagetest::encodeJpeg(imagetest::Picture(30, 20, {1, 2, 3, 255}));
    const auto scan = oneComponentFirst.find("\xFF\xDA");
    ASSERT_NE(scan, std::string::npos);
    const std::size_t scanLength = std::size_t(std::uint8_t(oneComponentFirst[scan + 2])) << 8 |
                                   std::uint8_t(oneComponentFirst[scan + 3]);
    oneComponentFirst.replace(scan, 2 + scanLength, std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10));
    for (const std::string& bytes : {imagetest::progressiveJpeg(30, 20), oneComponentFirst}) {
        const auto passes = readImageHeader(bytes);
        EXPECT_TRUE(passes && passes->storedInPasses);
    }
    EXPECT_FALSE(readImageHeader("\x89PNG\r\n\x1a\n cut"));
    EXPECT_FALSE(readImageHeader("<html>"));
}

// A progressive JPEG whose frame header claims another size: its marker, length,
// precision, height, width.
std::string claimingSize(std::string jpeg, int width, int height) {
    const auto frame = jpeg.find("\xFF\xC2");
    jpeg[frame + 5] = static_cast<char>(height >> 8), jpeg[frame + 6] = static_cast<char>(height);
    jpeg[frame + 7] = static_cast<char>(width >> 8), jpeg[frame + 8] = static_cast<char>(width);
    return jpeg;
}

// One 1 x 1 frame per delay on a screen of the given size.
std::string dotsOnAScreen(int width, int height, int frames) {
    std::vector<imagetest::GifFrame> dots;
    for (int i = 0; i < frames; ++i) dots.push_back({0, 0, 1, 1, {1}, 10, DISPOSAL_UNSPECIFIED, NO_TRANSPARENT_COLOR});
    return imagetest::encodeGif(width, height, {{255, 0, 0, 255}, {0, 0, 255, 255}}, dots);
}

TEST(DisplayDecodingTest, DecodesAtTheShownSizeOrRefusesWithTheLimitNamed) {
    constexpr std::array<std::uint8_t, 4> red{255, 0, 0, 255}, halfBlue{0, 0, 255, 128};
    struct Row {
        const char* name;
        std::string bytes;
        int coverWidth, coverHeight;
        int expectWidth, expectHeight, expectFrames;  // 0 x 0: refused
        const char* failure;                          // part of the reason, "" for none
    };
    const Row rows[] = {
        {"huge PNG, read row by row", imagetest::twoColourPng(8192, 4096, red, halfBlue), 96, 96, 192, 96, 1, ""},
        {"small PNG, whole", imagetest::twoColourPng(40, 20, red, halfBlue), 20, 20, 40, 20, 1, ""},
        {"interlaced PNG", imagetest::twoColourPng(400, 200, red, halfBlue, true), 50, 50, 100, 50, 1, ""},
        {"large interlaced PNG", imagetest::twoColourPng(4096, 2048, red, halfBlue, true), 50, 50, 0, 0, 0,
         "interlaced"},
        {"PNG over the decoding limits", imagetest::twoColourPng(20000, 2, red, red), 50, 50, 0, 0, 0, "decoded"},
        {"JPEG", imagetest::encodeJpeg(imagetest::Picture(1600, 800, {255, 0, 0, 255})), 100, 100, 200, 100, 1, ""},
        {"progressive JPEG", imagetest::progressiveJpeg(1600, 800), 100, 100, 200, 100, 1, ""},
        {"progressive JPEG of 8000 x 8000", claimingSize(imagetest::progressiveJpeg(64, 64), 8000, 8000), 100, 100,
         0, 0, 0, "coefficients"},
        {"animated GIF", dotsOnAScreen(64, 32, 3), 16, 16, 32, 16, 3, ""},
        {"GIF screen of 4096 x 4096", dotsOnAScreen(4096, 4096, 4), 48, 48, 0, 0, 0, "canvas"},
        {"GIF frames of 9 M pixels", dotsOnAScreen(1024, 1024, 9), 48, 48, 0, 0, 0, "decoded byte"},
        {"no picture", "<html>not found</html>", 48, 48, 0, 0, 0, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        ImageSourceResult read = readImageSourceForDisplay(r.bytes, r.coverWidth, r.coverHeight);
        EXPECT_NE(read.failure.find(r.failure), std::string::npos) << read.failure;
        if (r.expectFrames == 0) {
            EXPECT_FALSE(read.source);
            continue;
        }
        ASSERT_TRUE(read.source);
        // Every frame at the one display size.
        std::vector<std::pair<int, int>> sizes;
        for (const ImageSourceFrame& frame : read.source->frames)
            if (frame.image) sizes.emplace_back(frame.image->width(), frame.image->height());
        const std::vector<std::pair<int, int>> expected(std::size_t(r.expectFrames), {r.expectWidth, r.expectHeight});
        EXPECT_EQ(sizes, expected);
    }
}

TEST(DisplayDecodingTest, RowByRowPngKeepsColoursAndTransparency) {
    // Red on the left, half-transparent blue on the right, as the full decoder gives them.
    auto read = readImageSourceForDisplay(
        imagetest::twoColourPng(4000, 1000, {255, 0, 0, 255}, {0, 0, 255, 128}), 40, 10);
    ASSERT_TRUE(read.source && read.source->frames.size() == 1 && read.source->frames.front().image);
    const Bitmap& image = *read.source->frames.front().image;
    ASSERT_EQ(std::pair(image.width(), image.height()), std::pair(40, 10));
    const Color left = image.pixel(5, 5), right = image.pixel(35, 5);
    EXPECT_TRUE(left.isClose(Color::rgba(1, 0, 0, 1), 2.0 / 255));
    EXPECT_TRUE(right.isClose(Color::rgba(0, 0, 1, 128.0 / 255), 2.0 / 255));
}

}  // namespace
