#include "platform/graphics/font.hpp"
#include "platform/graphics/font_face.hpp"

#include <gtest/gtest.h>

#include <cmath>
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

TEST(FontFace, OpensNamesOfRealFiles) {
    using Names = std::vector<std::string>;
    struct Case {
        std::filesystem::path file;
        std::string postScriptName, familyName, styleName;
    };
    const Case cases[] = {
        {dejavu / "DejaVuSans.ttf", "DejaVuSans", "DejaVu Sans", "Book"},
        {dejavu / "DejaVuSerif-BoldItalic.ttf", "DejaVuSerif-BoldItalic", "DejaVu Serif", "Bold Italic"},
        {liberation / "LiberationMono-Italic.ttf", "LiberationMono-Italic", "Liberation Mono", "Italic"},
        {bundle / "SFProText-RegularItalic.ttf", "SFProText-Italic", "SF Pro Text", "Italic"},
        {bundle / "SFProText-HeavyItalic.ttf", "SFProText-HeavyItalic", "SF Pro Text", "Heavy Italic"},
        {bundle / "icomoon.ttf", "icomoon", "icomoon", "Regular"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        auto face = openFile(c.file);
        ASSERT_TRUE(face);
        EXPECT_EQ((Names{face->postScriptName(), face->familyName(), face->styleName()}),
                  (Names{c.postScriptName, c.familyName, c.styleName}));
    }
}

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
    // Units per em 2048: at 20.48 points one unit is 0.01 point. Where the exact values are
    // not listed (zero), they are only checked for sense.
    struct Case {
        std::filesystem::path file;
        double ascender, descender, lineHeight;
    };
    const Case cases[] = {
        {dejavu / "DejaVuSans.ttf", 19.01, -4.83, 23.84},
        {bundle / "SFProText-Regular.ttf", 18.54, -4.34, 23.55},  // includes a line gap of 67 units
        {dejavu / "DejaVuSansMono.ttf", 0, 0, 0}, {dejavu / "DejaVuSerif.ttf", 0, 0, 0},
        {liberation / "LiberationSerif-Bold.ttf", 0, 0, 0}, {bundle / "SFProText-Heavy.ttf", 0, 0, 0},
        {bundle / "SFProText-MediumItalic.ttf", 0, 0, 0}, {bundle / "icomoon.ttf", 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        auto face = openFile(c.file);
        auto font = Font::make(face, 20.48), twice = Font::make(face, 40.96);
        ASSERT_TRUE(font && twice);
        const double metrics[] = {font->ascender, font->descender, font->lineHeight};
        const double twiceMetrics[] = {twice->ascender, twice->descender, twice->lineHeight};
        const double listed[] = {c.ascender, c.descender, c.lineHeight};
        for (int i = 0; i < 3; ++i) {
            if (c.lineHeight != 0) {
                EXPECT_NEAR(metrics[i], listed[i], 1e-9) << i;
            }
            EXPECT_NEAR(twiceMetrics[i], 2 * metrics[i], 1e-9) << i;
        }
        EXPECT_GT(font->ascender, 0);
        EXPECT_LT(font->descender, 0);
        EXPECT_GE(font->lineHeight, font->ascender - font->descender - 1e-9);
        EXPECT_LT(font->lineHeight, 2 * 20.48);
    }
}

TEST(FontFace, SizeMustBeFinitePositiveAndMeasurable) {
    auto face = openFile(dejavu / "DejaVuSans.ttf");
    ASSERT_TRUE(face);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double size : {0.0, -0.0, -1.0, nan, inf, -inf, std::numeric_limits<double>::max()})
        EXPECT_FALSE(Font::make(face, size)) << size;
    for (double size : {std::numeric_limits<double>::denorm_min(), 0.5, 12.0, 1000.0}) {
        SCOPED_TRACE(size);
        auto font = Font::make(face, size);
        ASSERT_TRUE(font);
        EXPECT_EQ(std::pair(font->pointSize, font->face), std::pair(size, face));
    }
    EXPECT_FALSE(Font::make(nullptr, 12));
}

TEST(FontFace, TheIconFontMapsItsPrivateUseCodePointsOnlyAndTheTextFontLettersOnly) {
    auto face = openFile(bundle / "icomoon.ttf");
    ASSERT_TRUE(face);
    for (char32_t c : iconCodePoints) EXPECT_TRUE(face->hasGlyph(c)) << std::hex << unsigned(c);
    for (char32_t c : std::initializer_list<char32_t>{0xE90A, 0xE90F, 0xE91A, 0xE91F, 0xE924, 0xE8FF, 'A', 0xF004, 0x110000, 0xFFFFFFFF})
        EXPECT_FALSE(face->hasGlyph(c)) << std::hex << unsigned(c);
    auto text = openFile(bundle / "SFProText-Regular.ttf");
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->hasGlyph('A') && text->hasGlyph(U'é'));
    EXPECT_FALSE(text->hasGlyph(0xE900));
}

TEST(FontFace, KeepsItsBytesWhileAFontUsesIt) {
    // The engine reads the file in place; once the caller's buffer and everything but
    // one Font are gone, the face must still answer from bytes it owns.
    std::optional<Font> font;
    {
        auto bytes = readBytes(bundle / "icomoon.ttf");
        font = Font::make(FontFace::open(std::move(bytes)), 12);
    }
    ASSERT_TRUE(font);
    EXPECT_TRUE(font->hasGlyph(0xE923));
    EXPECT_FALSE(font->face->sourcePath());
}
