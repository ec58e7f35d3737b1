#include "vistrel/core/palette.hpp"

#include "vistrel/core/hex_color.hpp"
#include "vistrel/core/sdk_configuration.hpp"

namespace vistrel {

using platform::graphics::Color;

namespace {
Color configured(ConfigurationKey key) { return hexColor(SdkConfiguration::shared().valueForKey(key)); }
}  // namespace

Color vistrelRed() { return configured(ConfigurationKey::redColor); }
Color vistrelWhite() { return configured(ConfigurationKey::whiteColor); }
Color vistrelBlack() { return configured(ConfigurationKey::blackColor); }
Color vistrelYellow() { return configured(ConfigurationKey::yellowColor); }
Color vistrelPrimary() { return configured(ConfigurationKey::primaryColor); }
Color vistrelBackgroundTop() { return configured(ConfigurationKey::backgroundTopColor); }
Color vistrelBackgroundBottom() { return configured(ConfigurationKey::backgroundBottomColor); }

}  // namespace vistrel
