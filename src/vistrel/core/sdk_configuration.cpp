#include "vistrel/core/sdk_configuration.hpp"

#include <algorithm>

#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/foundation/numbers.hpp"

namespace vistrel {

SdkConfiguration& SdkConfiguration::shared() {
    // Made once, never destroyed: readers on other threads may outlive static teardown.
    static auto* instance = new SdkConfiguration();
    return *instance;
}

void SdkConfiguration::resetShared(std::optional<platform::Dictionary> configDictionary) {
    shared().configDictionary_ = configDictionary ? std::move(*configDictionary) : SdkConfiguration().configDictionary_;
}

SdkConfiguration::SdkConfiguration() {
    if (auto bundle = vistrelBundle()) configDictionary_ = bundle->infoDictionary();
}

SdkConfiguration::SdkConfiguration(platform::Dictionary configDictionary)
    : configDictionary_(std::move(configDictionary)) {}

std::string SdkConfiguration::configValueForKey(std::string_view key) const {
    const platform::Value* value = configDictionary_.find(key);
    if (value && value->string()) return *value->string();
    return "";
}

std::string SdkConfiguration::valueForKey(ConfigurationKey key) const {
    return configValueForKey(rawValue(key));
}

std::string SdkConfiguration::urlValueForKey(ConfigurationKey key) const {
    std::string text = valueForKey(key);
    text.erase(std::remove(text.begin(), text.end(), '\\'), text.end());
    return text;
}

double SdkConfiguration::floatValueForKey(ConfigurationKey key) const {
    // Single precision, then widened: "0.8" reads as 0.800000011920929.
    return static_cast<double>(platform::numbers::leadingFloat(valueForKey(key)));
}

std::int64_t SdkConfiguration::intValueForKey(ConfigurationKey key) const {
    return platform::numbers::parseInt64(valueForKey(key)).value_or(0);
}

void SdkConfiguration::printAllConfigurations() const {
    platform::log("/*** Sdk Configuration ***/");
    for (ConfigurationKey key : configuration_key::allValues())
        platform::log(std::string(rawValue(key)) + " :: " + valueForKey(key));
}

}  // namespace vistrel
