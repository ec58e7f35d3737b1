#pragma once
// The kit's read-only settings, from its bundle's Info.plist.
#include <cstdint>
#include <optional>
#include <string>

#include "vistrel/core/configuration_key.hpp"
#include "vistrel/platform/foundation/value.hpp"

namespace vistrel {

class SdkConfiguration {
public:
    // The process-wide instance, made on first use (safe from any thread).
    static SdkConfiguration& shared();
    // Gives the shared instance these values, or with none the bundle's afresh. For tests
    // that point the kit at a configuration of their own: call it while nothing reads.
    static void resetShared(std::optional<platform::Dictionary> configDictionary = std::nullopt);

    // A copy of the bundle's info dictionary; empty without a bundle.
    SdkConfiguration();
    explicit SdkConfiguration(platform::Dictionary configDictionary);
    virtual ~SdkConfiguration() = default;

    // The text stored under the key; "" when it is missing or not a text.
    virtual std::string valueForKey(ConfigurationKey key) const;
    // The same text with every backslash removed (addresses stored with escaped slashes).
    virtual std::string urlValueForKey(ConfigurationKey key) const;
    // The leading decimal number of the text, read in single precision; 0 without one.
    virtual double floatValueForKey(ConfigurationKey key) const;
    // The whole text as a signed decimal integer; 0 for anything else.
    virtual std::int64_t intValueForKey(ConfigurationKey key) const;
    // Diagnostic listing of every key and its text.
    virtual void printAllConfigurations() const;

    const platform::Dictionary& configDictionary() const { return configDictionary_; }

private:
    std::string configValueForKey(std::string_view key) const;

    platform::Dictionary configDictionary_;
};

}  // namespace vistrel
