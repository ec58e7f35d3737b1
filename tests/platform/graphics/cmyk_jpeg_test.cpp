// CMYK photos (print work, pictures saved from a desktop editor) show in their colours,
// as common decoders show them: inverted inks where Adobe's marker says so, as Photoshop
// writes them, in CMYK and in YCCK; the inks as they are stored without it. Decoded whole,
// from a file at its own size as a record's photo is, and at a card's size.
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>

#include "progressive_jpeg.hpp"
#include "support/temp_dir.hpp"
#include "vistrel/platform/graphics/display_decoding.hpp"
#include "vistrel/platform/graphics/image.hpp"

namespace {

using namespace platform::graphics;
using imagetest::CmykForm;
using imagetest::Inks;

// Four bands of 64 x 64 pixels, each of one ink mix, and the colour each shows: every
// ink takes its own share of the light that black leaves.
constexpr std::array<Inks, 4> kBands{{{0, 255, 255, 0}, {0, 0, 0, 128}, {255, 128, 0, 0}, {51, 0, 204, 102}}};
constexpr std::array<std::array<double, 3>, 4> kColours{{{1, 0, 0}, {127 / 255.0, 127 / 255.0, 127 / 255.0},
                                                         {0, 127 / 255.0, 1}, {(204 * 153) / 65025.0, 153 / 255.0, (51 * 153) / 65025.0}}};

TEST(CmykJpegTest, ShowsItsInksAsColours) {
    testsupport::TempDir dir;
    for (const CmykForm form : {CmykForm::adobeInverted, CmykForm::adobeInvertedYcck, CmykForm::plain}) {
        SCOPED_TRACE(static_cast<int>(form));
        const std::string jpeg = imagetest::cmykJpeg(256, 64, form, [](int x, int) { return kBands[std::size_t(x / 64)]; });
        const auto file = dir.write("photo.jpg", jpeg);
        const std::optional<Image> decoded[] = {Image::decode(jpeg), readStillFileForDisplay(file, 0, 0),
                                                readStillFileForDisplay(file, 64, 16), readStillForDisplay(jpeg, 64, 16)};
        for (const auto& image : decoded) {
            ASSERT_TRUE(image);
            const int band = image->pixelWidth() / 4;
            for (std::size_t i = 0; i < kBands.size(); ++i) {
                const Color shown = image->bitmap().pixel(band * int(i) + band / 2, image->pixelHeight() / 2);
                EXPECT_TRUE(shown.isClose(Color::rgba(kColours[i][0], kColours[i][1], kColours[i][2], 1), 4.0 / 255))
                    << "band " << i << " of " << image->pixelWidth() << ": " << shown.r << " " << shown.g << " "
                    << shown.b;
            }
        }
    }
}

}  // namespace
