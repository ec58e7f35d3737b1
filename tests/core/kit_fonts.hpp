#pragma once
// A fixture for tests that draw or measure with the kit's own fonts: an isolated font
// configuration, with the icon font and the regular text face registered once per process
// from the built bundle.
#include <gtest/gtest.h>

#include "vistrel/core/fonts.hpp"
#include "vistrel/core/icon_font.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/graphics/font_configuration.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"

namespace coretest {

struct KitFontsTest : ::testing::Test {
    void SetUp() override {
        platform::graphics::useIsolatedFontConfiguration();
        if (vistrel::iconFontWithSize(12) && platform::graphics::FontRegistry::shared().font("SFProText-Regular", 12))
            return;
        vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{VISTREL_BUILD_BUNDLE});
        vistrel::registerFontsWithFilenames({"icomoon.ttf", "SFProText-Regular.ttf"});
        vistrel::overrideBundleLocations(std::nullopt);
    }
};

}  // namespace coretest
