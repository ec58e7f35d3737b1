#include <gtest/gtest.h>

#include "core/configuration_key.hpp"
#include "core/sdk_configuration.hpp"
#include "core/vistrel_bundle.hpp"
#include "platform/foundation/log.hpp"

using platform::Dictionary;
using platform::Number;
using platform::Value;
using vistrel::ConfigurationKey;
using vistrel::SdkConfiguration;

namespace {
SdkConfiguration with(std::vector<Dictionary::Entry> entries) {
    return SdkConfiguration(Dictionary(std::move(entries)));
}
}  // namespace

TEST(ConfigurationKeyTest, RawValuesMatchWholeAndCaseSensitively) {
    for (const char* text : {"sdk_name", "SDK_NAME ", ""})
        EXPECT_EQ(vistrel::configurationKeyFromRawValue(text), std::nullopt) << text;
}

TEST(SdkConfigurationTest, TextAndAddressReadings) {
    auto config = with({{"SDK_CLICKS_URL", Value("http:\\/\\/127.0.0.1\\/clicks")},
                        {"RED_COLOR", Value(Number::fromInt(255))},
                        {"SDK_NAME", Value("Vistrel")}});
    EXPECT_EQ(config.valueForKey(ConfigurationKey::sdkName), "Vistrel");
    EXPECT_EQ(config.urlValueForKey(ConfigurationKey::sdkClicksUrl), "http://127.0.0.1/clicks");
    EXPECT_EQ(config.valueForKey(ConfigurationKey::sdkClicksUrl), "http:\\/\\/127.0.0.1\\/clicks");
    EXPECT_EQ(config.valueForKey(ConfigurationKey::redColor), "");  // a number is not a text
    EXPECT_EQ(config.valueForKey(ConfigurationKey::primaryColor), "");
}

TEST(SdkConfigurationTest, NumberReadingsAreLocaleFree) {
    struct Case { const char* text; double asFloat; std::int64_t asInt; };
    const Case cases[] = {
        {"0.8", 0.800000011920929, 0}, {"12", 12, 12}, {"+7", 7, 7}, {"-3", -3, -3},
        {"12.5", 12.5, 0}, {" 12", 12, 0}, {"1024px", 1024, 0}, {"abc", 0, 0}, {"", 0, 0},
        {"inf", 0, 0}, {"nan", 0, 0},
    };
    for (const Case& c : cases) {
        auto config = with({{"SDK_IMAGE_SEND_QUALITY", Value(c.text)}, {"GALLERY_NUMBER_ITEMS", Value(c.text)}});
        EXPECT_EQ(config.floatValueForKey(ConfigurationKey::sdkImageSendQuality), c.asFloat) << c.text;
        EXPECT_EQ(config.intValueForKey(ConfigurationKey::galleryNumberOfItems), c.asInt) << c.text;
    }
    EXPECT_EQ(with({}).intValueForKey(ConfigurationKey::galleryNumberOfItems), 0);
}

TEST(SdkConfigurationTest, ListingOfAnEmptyConfiguration) {
    platform::LogCapture capture;
    with({}).printAllConfigurations();
    auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 24u);
    EXPECT_EQ(lines[0], "/*** Sdk Configuration ***/");
    EXPECT_EQ(lines[1], "SDK_NAME :: ");
    EXPECT_EQ(lines[23], "GALLERY_NUMBER_ITEMS :: ");
}

TEST(SdkConfigurationTest, SharedInstanceReadsTheBuiltBundle) {
    vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{VISTREL_BUILD_BUNDLE});
    auto& config = SdkConfiguration::shared();
    EXPECT_EQ(config.valueForKey(ConfigurationKey::iconFontFileName), "icomoon.ttf");
    EXPECT_EQ(config.urlValueForKey(ConfigurationKey::sdkEnrichedImageUrl).find('\\'), std::string::npos);
    EXPECT_GT(config.intValueForKey(ConfigurationKey::galleryNumberOfItems), 0);
    for (ConfigurationKey key : vistrel::configuration_key::allValues())
        EXPECT_NE(config.valueForKey(key), "") << vistrel::rawValue(key);
    vistrel::overrideBundleLocations(std::nullopt);
}
