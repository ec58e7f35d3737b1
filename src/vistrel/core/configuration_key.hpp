#pragma once
// The names of the kit's settings, as the bundle's property list spells them.
#include <optional>
#include <string_view>
#include <vector>

namespace vistrel {

enum class ConfigurationKey {
    sdkName,
    sdkVersion,
    sdkBuildVersion,
    sdkBundleIdentifier,
    sdkImageSendWidth,
    sdkImageSendQuality,
    sdkClicksUrl,
    sdkEnrichedImageUrl,
    redColor,
    whiteColor,
    blackColor,
    yellowColor,
    primaryColor,
    backgroundTopColor,
    backgroundBottomColor,
    iconFontFileName,
    fontSFProTextHeavy,
    fontSFProTextHeavyItalic,
    fontSFProTextRegular,
    fontSFProTextRegularItalic,
    fontSFProTextMedium,
    fontSFProTextMediumItalic,
    galleryNumberOfItems,
};

std::string_view rawValue(ConfigurationKey key);
// Exactly the 23 key texts, letter case included; anything else gives no value.
std::optional<ConfigurationKey> configurationKeyFromRawValue(std::string_view raw);

namespace configuration_key {
// All keys in declaration order.
const std::vector<ConfigurationKey>& allValues();
}  // namespace configuration_key

}  // namespace vistrel
