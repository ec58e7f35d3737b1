// Photos as the scanner takes them: turned upright by their Exif orientation, turned
// grey, and written back as JPEG.
#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <cmath>

#include "platform/graphics/grey_plane.hpp"
#include "platform/graphics/image.hpp"
#include "platform/graphics/jpeg_encoding.hpp"
#include "support/qr/qr_pictures.hpp"

namespace {

using platform::graphics::Color;
using platform::graphics::encodeJpeg;
using platform::graphics::Image;

struct Rgb {
    std::uint8_t r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
constexpr Rgb kRed{220, 30, 30}, kGreen{30, 200, 40}, kBlue{30, 40, 220}, kWhite{255, 255, 255};

// A picture of four coloured quarters, as RGB rows.
struct Picture {
    int width, height;
    std::vector<Rgb> pixels;
    Rgb at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
};

Picture upright() {
    Picture p{64, 32, {}};
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            p.pixels.push_back(y < 16 ? (x < 32 ? kRed : kGreen) : (x < 32 ? kBlue : kWhite));
    return p;
}

Picture turnedClockwise(const Picture& in) {
    Picture out{in.height, in.width, {}};
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) out.pixels.push_back(in.at(y, in.height - 1 - x));
    return out;
}

Picture mirrored(const Picture& in) {
    Picture out{in.width, in.height, {}};
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) out.pixels.push_back(in.at(in.width - 1 - x, y));
    return out;
}

Picture turns(Picture p, int quarters) {
    while (quarters-- > 0) p = turnedClockwise(p);
    return p;
}

std::string jpegOf(const Picture& p, int orientation) {
    std::vector<std::uint8_t> rgb;
    for (Rgb c : p.pixels) rgb.insert(rgb.end(), {c.r, c.g, c.b});
    return qrtest::encodeRgbJpeg(rgb, p.width, p.height, 95, orientation);
}

bool near(Color c, Rgb expected) {
    return std::abs(c.r * 255 - expected.r) < 24 && std::abs(c.g * 255 - expected.g) < 24 &&
           std::abs(c.b * 255 - expected.b) < 24;
}

// What the camera stored for a picture meant to be seen upright, for each orientation tag.
TEST(PhotoOrientation, EveryExifOrientationComesOutUpright) {
    const Picture u = upright();
    const std::vector<std::pair<int, Picture>> stored = {
        {0, u},                        // no Exif block
        {1, u},
        {2, mirrored(u)},
        {3, turns(u, 2)},
        {4, mirrored(turns(u, 2))},
        {5, mirrored(turns(u, 1))},
        {6, turns(u, 3)},              // a phone held upright
        {7, mirrored(turns(u, 3))},
        {8, turns(u, 1)},
    };
    for (const auto& [orientation, picture] : stored) {
        SCOPED_TRACE(orientation);
        auto image = Image::decode(jpegOf(picture, orientation));
        ASSERT_TRUE(image);
        ASSERT_EQ(image->pixelWidth(), 64);
        ASSERT_EQ(image->pixelHeight(), 32);
        EXPECT_TRUE(near(image->bitmap().pixel(8, 8), kRed));
        EXPECT_TRUE(near(image->bitmap().pixel(56, 8), kGreen));
        EXPECT_TRUE(near(image->bitmap().pixel(8, 24), kBlue));
        EXPECT_TRUE(near(image->bitmap().pixel(56, 24), kWhite));
    }
}

TEST(PhotoOrientation, DamagedOrUnknownExifLeavesThePixelsAsStored) {
    const Picture u = upright();
    std::string pastTheEnd = jpegOf(u, 6);
    pastTheEnd[19] = '\x7F';  // the directory's offset points past the Exif block
    for (const std::string& bytes : {jpegOf(u, 9), pastTheEnd}) {
        auto image = Image::decode(bytes);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->pixelWidth(), 64);
        EXPECT_TRUE(near(image->bitmap().pixel(8, 8), kRed));
    }
}

struct JpegHeader {
    int width = 0, height = 0, subsampling = -1, colorspace = -1;
};

JpegHeader headerOf(const std::string& jpeg) {
    JpegHeader h;
    tjhandle handle = tjInitDecompress();
    tjDecompressHeader3(handle, reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size(), &h.width,
                        &h.height, &h.subsampling, &h.colorspace);
    tjDestroy(handle);
    return h;
}

TEST(GreyPhoto, IsOneOpaqueChannelAndEncodesAsGreyJpeg) {
    auto colour = Image::decode(jpegOf(upright(), 0));
    ASSERT_TRUE(colour);
    auto grey = platform::graphics::greyImage(*colour);
    ASSERT_TRUE(grey);
    EXPECT_TRUE(grey->isGrey());
    EXPECT_FALSE(colour->isGrey());
    Color red = grey->bitmap().pixel(8, 8), white = grey->bitmap().pixel(56, 24);
    EXPECT_EQ(red.r, red.g);
    EXPECT_EQ(red.g, red.b);
    EXPECT_EQ(red.a, 1);
    EXPECT_NEAR(red.r, 0.299 * 220 / 255 + 0.587 * 30 / 255 + 0.114 * 30 / 255, 0.06);
    EXPECT_EQ(white.r, 1);

    JpegHeader greyHeader = headerOf(*encodeJpeg(*grey, 0.8));
    EXPECT_EQ(greyHeader.colorspace, TJCS_GRAY);
    EXPECT_EQ(greyHeader.subsampling, TJSAMP_GRAY);
    EXPECT_EQ(greyHeader.width, 64);
    JpegHeader colourHeader = headerOf(*encodeJpeg(*colour, 0.8));
    EXPECT_EQ(colourHeader.colorspace, TJCS_YCbCr);
    EXPECT_EQ(colourHeader.height, 32);
}

// Quality runs from 0 to 1; outside it is clamped and a quality that is no number is 0.
TEST(JpegEncoding, QualityIsClampedAndNotANumberIsTheLowest) {
    auto bytes = qrtest::sceneJpeg({.width = 200, .height = 150, .codes = {{"q", 0.5, 0.5, 0.4, 0}}, .noise = 12});
    auto photo = Image::decode(bytes);
    ASSERT_TRUE(photo);
    auto sizeAt = [&](double quality) { return encodeJpeg(*photo, quality)->size(); };
    EXPECT_EQ(sizeAt(0), sizeAt(std::nan("")));
    EXPECT_EQ(sizeAt(0), sizeAt(-3));
    EXPECT_EQ(sizeAt(1), sizeAt(7));
    EXPECT_EQ(sizeAt(1), sizeAt(INFINITY));
    EXPECT_LT(sizeAt(0), sizeAt(0.5));
    EXPECT_LT(sizeAt(0.5), sizeAt(1));
    // Written bytes read back as the same picture.
    auto again = Image::decode(*encodeJpeg(*photo, 1));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->pixelWidth(), 200);
}

}  // namespace
