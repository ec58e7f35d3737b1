#include <gtest/gtest.h>

#include "image_fixtures.hpp"
#include "support/temp_dir.hpp"
#include "vistrel/platform/graphics/image.hpp"

using platform::graphics::Bitmap;
using platform::graphics::Color;
using platform::graphics::Image;
using platform::graphics::Size;
using namespace imagetest;

namespace {

constexpr Rgba kRed{255, 0, 0, 255}, kBlue{0, 0, 255, 255}, kGreen{0, 255, 0, 255}, kWhite{255, 255, 255, 255};
const std::vector<Rgba> kPalette = {kRed, kBlue, kGreen, kWhite};
using Colours = std::vector<Color>;
using Dimensions = std::pair<int, int>;

Dimensions dimensions(const Image& image) { return {image.pixelWidth(), image.pixelHeight()}; }

// The colours of a bitmap at several pixels.
Colours pixels(const Bitmap& bitmap, std::initializer_list<std::pair<int, int>> at) {
    Colours colours;
    for (auto [x, y] : at) colours.push_back(bitmap.pixel(x, y));
    return colours;
}

// A frame that disposes of nothing and has no transparent colour.
GifFrame plainFrame(int left, int top, int width, int height, std::vector<std::uint8_t> indices, int delay) {
    return {left, top, width, height, std::move(indices), delay, DISPOSE_DO_NOT, NO_TRANSPARENT_COLOR};
}

::testing::AssertionResult near(const Color& actual, const Color& expected, double tolerance = 2.0 / 255) {
    if (actual.isClose(expected, tolerance)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << actual.r << ", " << actual.g << ", " << actual.b << ", "
                                         << actual.a << ") expected (" << expected.r << ", " << expected.g << ", "
                                         << expected.b << ", " << expected.a << ")";
}

// A big-endian 32-bit value and the CRC of a PNG chunk, to forge headers.
void putU32(std::string& s, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) s.push_back(static_cast<char>(v >> shift));
}
std::uint32_t crc(std::string_view bytes) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
        c ^= b;
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return c ^ 0xFFFFFFFFu;
}

}  // namespace

TEST(ImageDecodingTest, PngKeepsStraightColoursThroughPremultiplying) {
    Picture picture(3, 2, kRed);
    picture.at(1, 0) = {0, 255, 0, 128};  // half-transparent green
    picture.at(2, 0) = {10, 20, 30, 0};   // fully transparent
    picture.at(0, 1) = {51, 102, 153, 255};
    auto image = Image::decode(encodePng(picture));
    ASSERT_TRUE(image);
    EXPECT_EQ(dimensions(*image), Dimensions(3, 2));
    EXPECT_TRUE(near(image->bitmap().pixel(0, 0), Color::red()));
    EXPECT_TRUE(near(image->bitmap().pixel(1, 0), Color::rgba(0, 1, 0, 128 / 255.0)));
    EXPECT_EQ(image->bitmap().rawPixel(1, 0), 0x80008000u);  // premultiplied in memory
    EXPECT_EQ(image->bitmap().pixel(2, 0), Color::clear());
    EXPECT_TRUE(near(image->bitmap().pixel(0, 1), Color::rgba(0.2, 0.4, 0.6)));
}

TEST(ImageDecodingTest, WritePngThenReadTheFileBack) {
    auto bitmap = Bitmap::make(5, 4);
    ASSERT_TRUE(bitmap);
    bitmap->setPixel(0, 0, Color::blue());
    bitmap->setPixel(4, 3, Color::rgba(1, 0, 0, 0.5));
    testsupport::TempDir dir;
    ASSERT_TRUE(platform::graphics::writePng(*bitmap, dir / "out.png"));
    auto image = Image::fromFile(dir / "out.png");
    ASSERT_TRUE(image);
    EXPECT_TRUE(near(image->bitmap().pixel(0, 0), Color::blue()));
    EXPECT_TRUE(near(image->bitmap().pixel(4, 3), Color::rgba(1, 0, 0, 0.5)));
    EXPECT_EQ(image->bitmap().pixel(2, 2), Color::clear());

    // Nothing is written for an empty bitmap or into a folder that does not exist.
    EXPECT_FALSE(platform::graphics::writePng(Bitmap(), dir / "empty.png"));
    EXPECT_FALSE(std::filesystem::exists(dir / "empty.png"));
    EXPECT_FALSE(platform::graphics::writePng(*bitmap, dir / "missing" / "out.png"));
}

TEST(ImageDecodingTest, JpegDecodesOpaque) {
    Picture picture(16, 8, kRed);
    for (int y = 0; y < 8; ++y)
        for (int x = 8; x < 16; ++x) picture.at(x, y) = kBlue;
    auto image = Image::decode(encodeJpeg(picture));
    ASSERT_TRUE(image);
    EXPECT_EQ(dimensions(*image), Dimensions(16, 8));
    EXPECT_TRUE(near(image->bitmap().pixel(2, 4), Color::red(), 12.0 / 255));
    EXPECT_TRUE(near(image->bitmap().pixel(13, 4), Color::blue(), 12.0 / 255));
    EXPECT_EQ(image->bitmap().pixel(8, 0).a, 1);
}

TEST(ImageDecodingTest, AnimatedGifComposesFramesAndAddsDelays) {
    // Palette: 0 red, 1 blue, 2 green (transparent in frame 2), 3 white.
    GifFrame first = plainFrame(0, 0, 4, 4, std::vector<std::uint8_t>(16, 0), 10);
    // Covers the top-left 2 x 2: blue, except one transparent pixel; then cleared.
    GifFrame second{0, 0, 2, 2, {1, 2, 1, 1}, 20, DISPOSE_BACKGROUND, 2};
    // A white pixel at (3, 3); the delay of 0 plays as a tenth of a second.
    auto image = Image::decode(encodeGif(4, 4, kPalette, {first, second, plainFrame(3, 3, 1, 1, {3}, 0)}));
    ASSERT_TRUE(image);
    ASSERT_EQ(std::pair(image->isAnimated(), image->frames().size()), std::pair(true, std::size_t{3}));
    EXPECT_NEAR(image->duration(), 0.4, 1e-9);

    const auto& frames = image->frames();
    const Color red = Color::red();
    EXPECT_EQ(frames[0].pixel(0, 0), red);
    // A transparent pixel, at (1, 0), keeps what is under it.
    EXPECT_EQ(pixels(frames[1], {{0, 0}, {1, 0}, {3, 3}}), (Colours{Color::blue(), red, red}));
    // The second frame's area was cleared to transparent before the third.
    EXPECT_EQ(pixels(frames[2], {{0, 0}, {2, 2}, {3, 3}}), (Colours{Color::clear(), red, Color::white()}));
}

TEST(ImageDecodingTest, GifRestoreToPreviousAndSingleFrame) {
    GifFrame base = plainFrame(0, 0, 2, 1, {0, 0}, 5);
    GifFrame overlay{0, 0, 1, 1, {1}, 5, DISPOSE_PREVIOUS, NO_TRANSPARENT_COLOR};
    auto image = Image::decode(encodeGif(2, 1, kPalette, {base, overlay, plainFrame(1, 0, 1, 1, {2}, 5)}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->frames()[1].pixel(0, 0), Color::blue());
    EXPECT_EQ(pixels(image->frames()[2], {{0, 0}, {1, 0}}), (Colours{Color::red(), Color::green()}));

    auto still = Image::decode(encodeGif(2, 1, kPalette, {base}));
    ASSERT_TRUE(still);
    EXPECT_EQ(std::pair(still->isAnimated(), still->duration()), std::pair(false, 0.0));
}

TEST(ImageDecodingTest, CutGifKeepsTheWholeFramesBeforeTheCut) {
    std::string gif = encodeGif(8, 8, kPalette, {plainFrame(0, 0, 8, 8, std::vector<std::uint8_t>(64, 0), 10),
                                                 plainFrame(0, 0, 8, 8, std::vector<std::uint8_t>(64, 1), 10)});
    auto image = Image::decode(std::string_view(gif).substr(0, gif.size() - 12));
    ASSERT_TRUE(image);
    EXPECT_EQ(std::pair(image->frames().size(), image->bitmap().pixel(7, 7)), std::pair(std::size_t{1}, Color::red()));
}

// A frame whose descriptor gives it no pixels (a side of 0) is skipped: the stream goes
// on to the next frame, and a GIF of such frames alone gives no image.
TEST(ImageDecodingTest, GifFramesWithASideOfZeroAreSkipped) {
    for (int side : {0, 2}) {  // the width's bytes, then the height's
        SCOPED_TRACE(side);
        auto withoutPixels = [&](std::string gif) {
            // The first frame's descriptor follows the screen, the palette and a control block.
            EXPECT_EQ(gif.at(33), ',');
            gif.at(38 + side) = gif.at(39 + side) = 0;
            return gif;
        };
        const GifFrame first = plainFrame(0, 0, 4, 4, std::vector<std::uint8_t>(16, 2), 10);
        auto image = Image::decode(withoutPixels(encodeGif(4, 4, kPalette, {first, plainFrame(2, 2, 1, 1, {1}, 10)})));
        ASSERT_TRUE(image);
        EXPECT_EQ(std::tuple(image->frames().size(), image->bitmap().pixel(2, 2), image->bitmap().pixel(0, 0)),
                  std::tuple(std::size_t{1}, Color::blue(), Color::clear()));
        EXPECT_FALSE(Image::decode(withoutPixels(encodeGif(4, 4, kPalette, {first}))));
    }
}

TEST(ImageDecodingTest, DamagedOrForeignBytesGiveNoImage) {
    std::string png = encodePng(Picture(8, 8, kRed));
    std::string jpeg = encodeJpeg(Picture(8, 8, kRed));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"empty", ""},
        {"text", "hello, not a picture"},
        {"PNG signature only", png.substr(0, 8)},
        {"PNG cut in its data", png.substr(0, png.size() / 2)},
        {"JPEG marker only", jpeg.substr(0, 3)},
        {"JPEG cut in its header", jpeg.substr(0, 20)},
        {"GIF signature only", "GIF89a"},
    };
    for (const auto& [name, bytes] : cases) EXPECT_FALSE(Image::decode(bytes)) << name;
    for (double scale : {0.0, -1.0}) EXPECT_FALSE(Image::decode(png, scale)) << "scale " << scale;
    EXPECT_FALSE(Image::fromFile("/nonexistent/picture.png"));
}

TEST(ImageDecodingTest, HeadersClaimingHugePicturesAreRefusedBeforeAllocating) {
    // A PNG whose header claims 100000 x 100000 pixels (40 GB), with a valid checksum.
    std::string header = "IHDR";
    putU32(header, 100000);
    putU32(header, 100000);
    header += std::string("\x08\x06\x00\x00\x00", 5);
    std::string png = "\x89PNG\r\n\x1a\n";
    putU32(png, 13);
    png += header;
    putU32(png, crc(header));
    EXPECT_FALSE(Image::decode(png));

    // A GIF whose logical screen is 65535 x 65535.
    std::string gif = encodeGif(1, 1, kPalette, {plainFrame(0, 0, 1, 1, {0}, 0)});
    gif[6] = gif[7] = gif[8] = gif[9] = '\xFF';
    EXPECT_FALSE(Image::decode(gif));
}

