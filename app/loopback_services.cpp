#include "loopback_services.hpp"

#include <cstdlib>
#include <iostream>

#include "core/configuration_key.hpp"
#include "core/sdk_configuration.hpp"
#include "platform/foundation/file_io.hpp"

int loopbackPort(const std::string& address) {
    const std::string prefix = "http://127.0.0.1:";
    if (address.compare(0, prefix.size(), prefix) != 0) return 0;
    int port = std::atoi(address.c_str() + prefix.size());
    return port > 0 && port < 65536 ? port : 0;
}

std::unique_ptr<testsupport::LoopbackServer> serveRecognition(const std::filesystem::path& answerFile) {
    auto answer = platform::readFile(answerFile);
    if (!answer) {
        std::cerr << "vistrel-demo: cannot read the answer " << answerFile.string() << "\n";
        return nullptr;
    }
    auto address = vistrel::SdkConfiguration::shared().urlValueForKey(vistrel::ConfigurationKey::sdkEnrichedImageUrl);
    int port = loopbackPort(address);
    std::unique_ptr<testsupport::LoopbackServer> service;
    if (port) service = std::make_unique<testsupport::LoopbackServer>(port);
    if (!service || service->port() != port) {
        std::cerr << "vistrel-demo: cannot serve the recognition address " << address << "\n";
        return nullptr;
    }
    service->answerWith([answer = std::move(*answer)](const testsupport::CapturedRequest& request) {
        std::cout << "  [service] " << request.method << " " << request.target << ", " << request.body.size()
                  << " bytes from " << request.header("DeviceName").value_or("?") << ", answered with "
                  << answer.size() << " bytes\n";
        return testsupport::CannedAnswer{200, answer, {{"Content-Type", "application/json"}}};
    });
    std::cout << "service: " << address << " answers with " << answerFile.string() << "\n";
    return service;
}

std::unique_ptr<testsupport::LoopbackServer> serveStatistics() {
    const auto clicks = vistrel::SdkConfiguration::shared().urlValueForKey(vistrel::ConfigurationKey::sdkClicksUrl);
    auto statistics = std::make_unique<testsupport::LoopbackServer>(loopbackPort(clicks));
    statistics->answer({204, "", {}});
    return statistics;
}
