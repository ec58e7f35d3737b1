#include <gtest/gtest.h>

#include "vistrel/core/configuration_key.hpp"
#include "vistrel/core/sdk_configuration.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/graphics/font_face.hpp"

using vistrel::ConfigurationKey;

namespace {

enum class Kind { name, wholeNumber, fraction, address, colour, fontFile };

// What each setting holds; a key added without a kind here does not build.
Kind kindOf(ConfigurationKey key) {
    switch (key) {
    case ConfigurationKey::sdkName:
    case ConfigurationKey::sdkVersion:
    case ConfigurationKey::sdkBuildVersion:
    case ConfigurationKey::sdkBundleIdentifier: return Kind::name;
    case ConfigurationKey::sdkImageSendWidth:
    case ConfigurationKey::galleryNumberOfItems: return Kind::wholeNumber;
    case ConfigurationKey::sdkImageSendQuality: return Kind::fraction;
    case ConfigurationKey::sdkClicksUrl:
    case ConfigurationKey::sdkEnrichedImageUrl: return Kind::address;
    case ConfigurationKey::redColor:
    case ConfigurationKey::whiteColor:
    case ConfigurationKey::blackColor:
    case ConfigurationKey::yellowColor:
    case ConfigurationKey::primaryColor:
    case ConfigurationKey::backgroundTopColor:
    case ConfigurationKey::backgroundBottomColor: return Kind::colour;
    case ConfigurationKey::iconFontFileName:
    case ConfigurationKey::fontSFProTextHeavy:
    case ConfigurationKey::fontSFProTextHeavyItalic:
    case ConfigurationKey::fontSFProTextRegular:
    case ConfigurationKey::fontSFProTextRegularItalic:
    case ConfigurationKey::fontSFProTextMedium:
    case ConfigurationKey::fontSFProTextMediumItalic: return Kind::fontFile;
    }
    return Kind::name;
}

bool isColourText(const std::string& text) {
    return text.size() == 7 && text[0] == '#' &&
           text.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string::npos;
}

}  // namespace

// Every setting the kit reads is in the built bundle's Info.plist, as a text of its kind:
// the configuration reads texts only, so a number or a missing key would read as nothing.
TEST(BundleConfigurationTest, EverySettingIsATextOfItsKindInTheBuiltBundle) {
    vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{VISTREL_BUILD_BUNDLE});
    auto bundle = vistrel::vistrelBundle();
    ASSERT_TRUE(bundle);
    const vistrel::SdkConfiguration configuration;
    ASSERT_EQ(vistrel::configuration_key::allValues().size(), 23u);
    for (ConfigurationKey key : vistrel::configuration_key::allValues()) {
        SCOPED_TRACE(std::string(vistrel::rawValue(key)));
        const platform::Value* value = configuration.configDictionary().find(vistrel::rawValue(key));
        ASSERT_TRUE(value && value->string() && !value->string()->empty());
        const std::string& text = *value->string();
        switch (kindOf(key)) {
        case Kind::name: break;
        case Kind::wholeNumber: EXPECT_GT(configuration.intValueForKey(key), 0); break;
        case Kind::fraction: {
            const double fraction = configuration.floatValueForKey(key);
            EXPECT_TRUE(fraction > 0 && fraction <= 1) << fraction;
            break;
        }
        case Kind::address: {
            const std::string address = configuration.urlValueForKey(key);
            EXPECT_TRUE(address.starts_with("http://") || address.starts_with("https://")) << address;
            break;
        }
        case Kind::colour: EXPECT_TRUE(isColourText(text)) << text; break;
        case Kind::fontFile: {
            auto path = bundle->pathForResource(text);
            ASSERT_TRUE(path);
            auto bytes = platform::readFile(*path, 64u << 20);
            ASSERT_TRUE(bytes);
            EXPECT_TRUE(platform::graphics::FontFace::open(std::vector<unsigned char>(bytes->begin(), bytes->end())));
            break;
        }
        }
    }
    vistrel::overrideBundleLocations(std::nullopt);
}
