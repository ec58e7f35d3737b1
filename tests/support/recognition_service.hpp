#pragma once
// The kit pointed at a loopback recognition and clicks service for the life of the
// object: preferences in a temporary file with an API key and an instance identifier,
// the shared configuration's addresses at the server, a host name and version, one
// preferred language. Everything is put back on the way out.
#include <chrono>
#include <string>

#include "loopback_server.hpp"
#include "support/temp_dir.hpp"
#include "vistrel/core/configuration_key.hpp"
#include "vistrel/core/kit_defaults.hpp"
#include "vistrel/core/sdk_configuration.hpp"
#include "vistrel/core/vistrel_pref.hpp"
#include "vistrel/platform/foundation/locale.hpp"
#include "vistrel/platform/foundation/user_defaults.hpp"
#include "vistrel/platform/ui/application.hpp"
#include "vistrel/service/client.hpp"

namespace testsupport {

struct RecognitionService {
    static constexpr const char* apiKey = "live-key-7f3a9c21d4e8b6a0";
    static constexpr const char* instanceId = "5C4B1E2A-9D3F-4A7B-8C6D-0E1F2A3B4C5D";

    TempDir dir;
    ScopedEnv home{"VISTREL_HOME", dir.path().c_str()};
    LoopbackServer server;
    platform::Dictionary configuration;
    std::string hostName = platform::ui::Application::shared().name();
    std::string hostVersion = platform::ui::Application::shared().version();

    RecognitionService() {
        vistrel::VistrelPref::setApiKey(apiKey);
        vistrel::VistrelPref::setApplicationInstanceId(instanceId);
        vistrel::VistrelPref::setUseBlackAndWhite(false);
        set(vistrel::ConfigurationKey::sdkEnrichedImageUrl, server.url("/recognize"));
        set(vistrel::ConfigurationKey::sdkClicksUrl, server.url("/clicks"));
        set(vistrel::ConfigurationKey::sdkImageSendWidth, "64");
        set(vistrel::ConfigurationKey::sdkImageSendQuality, "0.8");
        set(vistrel::ConfigurationKey::sdkName, "Vistrel");
        set(vistrel::ConfigurationKey::sdkVersion, "2.4.1");
        auto& application = platform::ui::Application::shared();
        application.setName("Host App");
        application.setVersion("3.2");
        platform::setPreferredLanguages(std::vector<std::string>{"fr-FR"});
    }

    ~RecognitionService() {
        vistrel::SdkConfiguration::resetShared();
        platform::setPreferredLanguages(std::nullopt);
        vistrel::Client::setRecognitionTimeout(std::nullopt);
        vistrel::Client::setRecognitionDeadline(std::nullopt);
        auto& application = platform::ui::Application::shared();
        application.setName(hostName);
        application.setVersion(hostVersion);
    }

    // Sets one configuration value (the shared configuration is given the new values).
    void set(vistrel::ConfigurationKey key, const std::string& value) {
        configuration.set(std::string(vistrel::rawValue(key)), value);
        vistrel::SdkConfiguration::resetShared(configuration);
    }
};

}  // namespace testsupport
