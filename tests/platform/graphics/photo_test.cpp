// Photos as the scanner takes them: turned upright by their Exif orientation, turned
// grey, and written back as JPEG.
#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>

#include "support/qr/qr_pictures.hpp"
#include "vistrel/platform/graphics/grey_plane.hpp"
#include "vistrel/platform/graphics/jpeg_encoding.hpp"

namespace {

using platform::graphics::encodeJpeg;
using platform::graphics::Image;

// A 64 x 32 picture of four coloured quarters as RGB rows, and the two moves a camera's
// orientation tag is made of.
struct Picture {
    int width, height;
    std::vector<std::array<std::uint8_t, 3>> rgb;
    auto at(int x, int y) const { return rgb[std::size_t(y) * width + x]; }
};
constexpr std::array<std::array<std::uint8_t, 3>, 4> kQuarters{{{220, 30, 30}, {30, 200, 40}, {30, 40, 220}, {255, 255, 255}}};

Picture upright() {
    Picture p{64, 32, {}};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) p.rgb.push_back(kQuarters[(y / 16) * 2 + x / 32]);
    return p;
}

Picture moved(const Picture& in, int clockwiseTurns, bool mirror) {
    Picture p = in;
    for (int t = 0; t < clockwiseTurns; ++t) {
        Picture turned{p.height, p.width, {}};
        for (int y = 0; y < turned.height; ++y)
            for (int x = 0; x < turned.width; ++x) turned.rgb.push_back(p.at(y, p.height - 1 - x));
        p = turned;
    }
    if (mirror)
        for (int y = 0; y < p.height; ++y) std::reverse(p.rgb.begin() + y * p.width, p.rgb.begin() + (y + 1) * p.width);
    return p;
}

std::string jpegOf(const Picture& p, int orientation) {
    std::vector<std::uint8_t> bytes;
    for (auto c : p.rgb) bytes.insert(bytes.end(), c.begin(), c.end());
    return qrtest::encodeRgbJpeg(bytes, p.width, p.height, 95, orientation);
}

void expectUpright(const std::optional<Image>& image) {
    ASSERT_TRUE(image);
    ASSERT_EQ(image->pixelWidth(), 64);
    ASSERT_EQ(image->pixelHeight(), 32);
    for (int q = 0; q < 4; ++q) {
        auto c = image->bitmap().pixel(8 + 48 * (q % 2), 8 + 16 * (q / 2));
        EXPECT_NEAR(c.r * 255, kQuarters[q][0], 24) << q;
        EXPECT_NEAR(c.g * 255, kQuarters[q][1], 24) << q;
        EXPECT_NEAR(c.b * 255, kQuarters[q][2], 24) << q;
    }
}

// What the camera stored for a picture meant to be seen upright, for each tag (0: no
// Exif block; 6: a phone held upright; 9: a value no camera writes).
TEST(PhotoOrientation, EveryExifOrientationComesOutUpright) {
    const Picture u = upright();
    const std::vector<std::tuple<int, int, bool>> rows = {{0, 0, false}, {1, 0, false}, {2, 0, true},
                                                          {3, 2, false}, {4, 2, true},  {5, 1, true},
                                                          {6, 3, false}, {7, 3, true},  {8, 1, false},
                                                          {9, 0, false}};
    for (const auto& [orientation, turns, mirror] : rows) {
        SCOPED_TRACE(orientation);
        expectUpright(Image::decode(jpegOf(moved(u, turns, mirror), orientation)));
    }
    std::string pastTheEnd = jpegOf(u, 6);
    pastTheEnd[19] = '\x7F';  // the directory's offset points past the Exif block: tag ignored
    expectUpright(Image::decode(pastTheEnd));
}

// Colour space and subsampling that a JPEG's header declares.
std::pair<int, int> jpegKind(const std::string& jpeg) {
    int width = 0, height = 0, subsampling = -1, colorspace = -1;
    tjhandle handle = tjInitDecompress();
    tjDecompressHeader3(handle, reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size(), &width, &height,
                        &subsampling, &colorspace);
    tjDestroy(handle);
    return {colorspace, subsampling};
}

TEST(GreyPhoto, IsOneOpaqueChannelAndEncodesAsGreyJpeg) {
    auto colour = Image::decode(jpegOf(upright(), 0));
    auto grey = platform::graphics::greyImage(*colour);
    ASSERT_TRUE(grey);
    EXPECT_TRUE(grey->isGrey());
    auto red = grey->bitmap().pixel(8, 8);
    EXPECT_TRUE(red.r == red.g && red.g == red.b && red.a == 1);
    EXPECT_NEAR(red.r, (0.299 * 220 + 0.587 * 30 + 0.114 * 30) / 255, 0.06);
    EXPECT_EQ(grey->bitmap().pixel(56, 24).r, 1);
    EXPECT_EQ(jpegKind(*encodeJpeg(*grey, 0.8)), std::make_pair(int(TJCS_GRAY), int(TJSAMP_GRAY)));
    EXPECT_EQ(jpegKind(*encodeJpeg(*colour, 0.8)).first, TJCS_YCbCr);
}

// Quality runs from 0 to 1; outside it is clamped and a quality that is no number is 0.
TEST(JpegEncoding, QualityIsClampedAndNotANumberIsTheLowest) {
    auto photo = Image::decode(qrtest::sceneJpeg({.width = 200, .height = 150, .codes = {{"q"}}, .noise = 12}));
    auto sizeAt = [&](double quality) { return encodeJpeg(*photo, quality)->size(); };
    EXPECT_EQ(sizeAt(0), sizeAt(std::nan("")));
    EXPECT_EQ(sizeAt(0), sizeAt(-3));
    EXPECT_EQ(sizeAt(1), sizeAt(INFINITY));
    EXPECT_LT(sizeAt(0), sizeAt(0.5));
    EXPECT_LT(sizeAt(0.5), sizeAt(1));
}

}  // namespace
