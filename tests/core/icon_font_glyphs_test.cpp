#include <gtest/gtest.h>

#include <set>

#include "vistrel/core/configuration_key.hpp"
#include "vistrel/core/icon_type.hpp"
#include "vistrel/core/sdk_configuration.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/graphics/font_face.hpp"

// Every pictogram the kit writes is drawn by the icon font the bundle is built with (the
// file its settings name), each at a code point of its own.
TEST(IconFontGlyphsTest, EveryIconTypeHasAGlyphInTheBuiltIconFont) {
    vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{VISTREL_BUILD_BUNDLE});
    auto bundle = vistrel::vistrelBundle();
    ASSERT_TRUE(bundle);
    auto path = bundle->pathForResource(vistrel::SdkConfiguration().valueForKey(vistrel::ConfigurationKey::iconFontFileName));
    vistrel::overrideBundleLocations(std::nullopt);
    ASSERT_TRUE(path);
    auto bytes = platform::readFile(*path, 64u << 20);
    ASSERT_TRUE(bytes);
    auto face = platform::graphics::FontFace::open(std::vector<unsigned char>(bytes->begin(), bytes->end()));
    ASSERT_TRUE(face);

    std::set<char32_t> codePoints;
    for (vistrel::VistrelIconType icon : vistrel::icon_type::allValues()) {
        const char32_t codePoint = vistrel::codePoint(icon);
        EXPECT_TRUE(face->hasGlyph(codePoint)) << std::hex << static_cast<unsigned>(codePoint);
        codePoints.insert(codePoint);
    }
    EXPECT_EQ(codePoints.size(), 24u);
}
