#include "vistrel/core/vistrel_pref.hpp"

#include "vistrel/core/kit_defaults.hpp"

namespace vistrel {

namespace {

constexpr const char* kApiKey = "apiKey";
constexpr const char* kUseBlackAndWhite = "useBlackAndWhite";
constexpr const char* kApplicationInstanceId = "applicationInstanceId";
constexpr const char* kHasBeenMigrated = "hasBeenMigrated";

std::shared_ptr<platform::UserDefaults> defaults() { return kitDefaults(); }

// A Boolean stored as a number object; anything else (missing, text) reads as false.
bool storedBoolean(const char* key) {
    auto value = defaults()->object(key);
    if (!value || !value->number()) return false;
    return value->number()->asBool();
}

}  // namespace

void VistrelPref::setApiKey(const std::string& apiKey) { defaults()->set(kApiKey, apiKey); }

std::optional<std::string> VistrelPref::getApiKey() { return defaults()->string(kApiKey); }

void VistrelPref::setUseBlackAndWhite(bool useBlackAndWhite) {
    defaults()->setBool(kUseBlackAndWhite, useBlackAndWhite);
}

bool VistrelPref::useBlackAndWhite() { return storedBoolean(kUseBlackAndWhite); }

void VistrelPref::setApplicationInstanceId(const std::string& applicationInstanceId) {
    defaults()->set(kApplicationInstanceId, applicationInstanceId);
}

std::optional<std::string> VistrelPref::getApplicationInstanceId() {
    return defaults()->string(kApplicationInstanceId);
}

void VistrelPref::setHasBeenMigrated(bool hasBeenMigrated) {
    defaults()->setBool(kHasBeenMigrated, hasBeenMigrated);
}

bool isVistrelPrefKey(std::string_view key) {
    return key == kApiKey || key == kUseBlackAndWhite || key == kApplicationInstanceId || key == kHasBeenMigrated;
}

bool VistrelPref::hasBeenMigrated() { return defaults()->boolValue(kHasBeenMigrated); }

}  // namespace vistrel
