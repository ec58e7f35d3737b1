#include "vistrel/core/configuration_key.hpp"

#include "vistrel/platform/foundation/enum_table.hpp"

namespace vistrel {

namespace {
using K = ConfigurationKey;
constexpr platform::EnumTable<ConfigurationKey, std::string_view, 23> kKeys{{
    {K::sdkName, "SDK_NAME"},
    {K::sdkVersion, "SDK_VERSION"},
    {K::sdkBuildVersion, "SDK_BUILD_VERSION"},
    {K::sdkBundleIdentifier, "SDK_BUNDLE_IDENTIFIER"},
    {K::sdkImageSendWidth, "SDK_IMAGE_SEND_WIDTH"},
    {K::sdkImageSendQuality, "SDK_IMAGE_SEND_QUALITY"},
    {K::sdkClicksUrl, "SDK_CLICKS_URL"},
    {K::sdkEnrichedImageUrl, "SDK_ENRICHED_IMAGE_URL"},
    {K::redColor, "RED_COLOR"},
    {K::whiteColor, "WHITE_COLOR"},
    {K::blackColor, "BLACK_COLOR"},
    {K::yellowColor, "YELLOW_COLOR"},
    {K::primaryColor, "PRIMARY_COLOR"},
    {K::backgroundTopColor, "BACKGROUND_TOP_COLOR"},
    {K::backgroundBottomColor, "BACKGROUND_BOTTOM_COLOR"},
    {K::iconFontFileName, "ICON_FONT_FILENAME"},
    {K::fontSFProTextHeavy, "FONT_SFPROTEXT_HEAVY"},
    {K::fontSFProTextHeavyItalic, "FONT_SFPROTEXT_HEAVY_ITALIC"},
    {K::fontSFProTextRegular, "FONT_SFPROTEXT_REGULAR"},
    {K::fontSFProTextRegularItalic, "FONT_SFPROTEXT_REGULAR_ITALIC"},
    {K::fontSFProTextMedium, "FONT_SFPROTEXT_MEDIUM"},
    {K::fontSFProTextMediumItalic, "FONT_SFPROTEXT_MEDIUM_ITALIC"},
    {K::galleryNumberOfItems, "GALLERY_NUMBER_ITEMS"},
}};
}  // namespace

std::string_view rawValue(ConfigurationKey key) { return platform::rawValueIn(kKeys, key); }

std::optional<ConfigurationKey> configurationKeyFromRawValue(std::string_view raw) {
    return platform::caseIn(kKeys, raw);
}

const std::vector<ConfigurationKey>& configuration_key::allValues() {
    static const std::vector<ConfigurationKey> all = [] {
        std::vector<ConfigurationKey> keys;
        for (const auto& entry : kKeys) keys.push_back(entry.first);
        return keys;
    }();
    return all;
}

}  // namespace vistrel
