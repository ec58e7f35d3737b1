#include "vistrel/platform/graphics/font.hpp"
#include "vistrel/platform/graphics/font_face.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "font_test_files.hpp"

using platform::graphics::Font;
using platform::graphics::FontFace;
using namespace fonttest;

namespace {

std::shared_ptr<const FontFace> openFile(const std::filesystem::path& path) {
    return FontFace::open(readBytes(path), path);
}

}  // namespace

TEST(FontFace, RefusesWhatIsNotAFont) {
    const std::vector<unsigned char> png = {
        0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
        0, 0, 0, 1, 0, 0, 0, 1, 8, 6, 0, 0, 0, 0x1f, 0x15, 0xc4, 0x89};
    std::vector<unsigned char> noise(4096);
    std::mt19937 random(7);
    for (auto& b : noise) b = static_cast<unsigned char>(random());
    auto font = readBytes(bundle / "SFProText-Regular.ttf");
    std::vector<unsigned char> header(font.begin(), font.begin() + 12);  // a table directory with no tables
    std::vector<unsigned char> sfntMagicThenNoise = noise;
    std::copy(font.begin(), font.begin() + 4, sfntMagicThenNoise.begin());

    const std::pair<const char*, std::vector<unsigned char>> cases[] = {
        {"empty", {}},
        {"one byte", {0}},
        {"text", {'h', 'e', 'l', 'l', 'o', '\n'}},
        {"png", png},
        {"noise", noise},
        {"font header only", header},
        {"font magic then noise", sfntMagicThenNoise},
    };
    for (const auto& [name, bytes] : cases) EXPECT_EQ(FontFace::open(bytes), nullptr) << name;
}

TEST(FontFace, MetricsScaleLinearlyFromDesignUnits) {
    // Units per em 2048: at 20.48 points one unit is 0.01 point.
    struct Case {
        std::filesystem::path file;
        double ascender, descender, lineHeight;
    };
    const Case cases[] = {
        {dejavu / "DejaVuSans.ttf", 19.01, -4.83, 23.84},
        {bundle / "SFProText-Regular.ttf", 18.54, -4.34, 23.55},  // includes a line gap of 67 units
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        auto face = openFile(c.file);
        auto font = Font::make(face, 20.48), twice = Font::make(face, 40.96);
        ASSERT_TRUE(font && twice);
        for (auto [once, doubled, listed] : {std::tuple(font->ascender, twice->ascender, c.ascender),
                                             std::tuple(font->descender, twice->descender, c.descender),
                                             std::tuple(font->lineHeight, twice->lineHeight, c.lineHeight)}) {
            EXPECT_NEAR(once, listed, 1e-9);
            EXPECT_NEAR(doubled, 2 * once, 1e-9);
        }
    }
}

TEST(FontFace, SizeMustBeFinitePositiveAndMeasurable) {
    auto face = openFile(dejavu / "DejaVuSans.ttf");
    ASSERT_TRUE(face);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double size : {0.0, -0.0, -1.0, nan, inf, -inf, std::numeric_limits<double>::max()})
        EXPECT_FALSE(Font::make(face, size)) << size;
    EXPECT_TRUE(Font::make(face, std::numeric_limits<double>::denorm_min()));
    EXPECT_FALSE(Font::make(nullptr, 12));
}

TEST(FontFace, TheIconFontMapsItsPrivateUseCodePointsOnlyAndTheTextFontLettersOnly) {
    auto face = openFile(bundle / "icomoon.ttf");
    ASSERT_TRUE(face);
    // The icons sit at E900-E909, E910-E919 and E920-E923, with nothing between.
    for (char32_t c : std::initializer_list<char32_t>{0xE900, 0xE909, 0xE910, 0xE919, 0xE920, 0xE923})
        EXPECT_TRUE(face->hasGlyph(c)) << std::hex << unsigned(c);
    for (char32_t c : std::initializer_list<char32_t>{0xE90A, 0xE91F, 0xE924, 0xE8FF, 'A', 0x110000, 0xFFFFFFFF})
        EXPECT_FALSE(face->hasGlyph(c)) << std::hex << unsigned(c);
    auto text = openFile(bundle / "SFProText-Regular.ttf");
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->hasGlyph('A') && text->hasGlyph(U'é'));
    EXPECT_FALSE(text->hasGlyph(0xE900));
}
