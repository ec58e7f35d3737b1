#include <gtest/gtest.h>

#include "core/device_diagonal.hpp"
#include "core/vistrel_bundle.hpp"
#include "core/vistrel_error.hpp"
#include "platform/foundation/locale.hpp"
#include "platform/ui/screen.hpp"

using platform::ui::Rect;
using platform::ui::Screen;
using vistrel::VistrelError;

TEST(VistrelErrorTest, TheRawValueIsItsLocalisationKeyMatchedExactly) {
    EXPECT_EQ(vistrel::vistrelErrorFromRawValue("actions.list.error.not_enriched_image"), VistrelError::notEnrichedImage);
    for (const char* other : {"", "Actions.list.error.not_enriched_image", " actions.list.error.not_enriched_image",
                              "notEnrichedImage"})
        EXPECT_EQ(vistrel::vistrelErrorFromRawValue(other), std::nullopt) << other;
}

TEST(VistrelErrorTest, TheMessageIsTheLocalisedTextOrTheKey) {
    vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{VISTREL_BUILD_BUNDLE});
    platform::setPreferredLanguages(std::vector<std::string>{"en"});
    EXPECT_EQ(vistrel::localizedString(VistrelError::notEnrichedImage), "This page is not recognised.");
    vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{});  // no bundle at all
    EXPECT_EQ(vistrel::localizedString(VistrelError::notEnrichedImage), "actions.list.error.not_enriched_image");
    vistrel::overrideBundleLocations(std::nullopt);
    platform::setPreferredLanguages(std::nullopt);
}

TEST(DeviceDiagonalTest, TheLongerSideOfTheScreenNamesTheDiagonal) {
    struct Case { double width, height, scale; const char* diagonal; };
    const Rect saved = Screen::main().bounds();
    const double savedScale = Screen::main().scale();
    for (const Case& c : {Case{320, 480, 2, "3.5"}, Case{320, 568, 2, "4.0"}, Case{375, 667, 2, "4.7"},
                          Case{375, 667, 3, "5.5"}, Case{667, 375, 3, "5.5"}, Case{414, 736, 3, "5.5"},
                          Case{768, 1024, 2, "9.7"}, Case{1024, 768, 2, "9.7"}, Case{1024, 1366, 2, "12.9"},
                          Case{375, 812, 3, "0"}, Case{375, 667.5, 2, "0"}}) {
        Screen::main().setBounds({0, 0, c.width, c.height});
        Screen::main().setScale(c.scale);
        EXPECT_EQ(vistrel::diagonal(), c.diagonal) << c.width << " x " << c.height << " @" << c.scale;
    }
    Screen::main().setBounds(saved);
    Screen::main().setScale(savedScale);
}
