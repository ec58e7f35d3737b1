#include <gtest/gtest.h>

#include "vistrel/core/configuration_key.hpp"
#include "vistrel/core/sdk_configuration.hpp"

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

TEST(SdkConfigurationTest, TextAndAddressReadings) {
    auto config = with({{"SDK_CLICKS_URL", Value("http:\\/\\/127.0.0.1\\/clicks")},
                        {"RED_COLOR", Value(Number::fromInt(255))}});
    // A number is not a text.
    EXPECT_EQ(std::tuple(config.urlValueForKey(ConfigurationKey::sdkClicksUrl), config.valueForKey(ConfigurationKey::redColor)),
              std::tuple(std::string("http://127.0.0.1/clicks"), std::string()));
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
        EXPECT_EQ(std::tuple(double(config.floatValueForKey(ConfigurationKey::sdkImageSendQuality)),
                            std::int64_t(config.intValueForKey(ConfigurationKey::galleryNumberOfItems))),
                  std::tuple(c.asFloat, c.asInt)) << c.text;
    }
}
