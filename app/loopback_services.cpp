#include "loopback_services.hpp"

#include <cstdlib>
#include <iostream>
#include <optional>
#include <string_view>

#include "vistrel/core/configuration_key.hpp"
#include "vistrel/core/sdk_configuration.hpp"
#include "vistrel/platform/foundation/file_io.hpp"

int loopbackPort(const std::string& address) {
    const std::string prefix = "http://127.0.0.1:";
    if (address.compare(0, prefix.size(), prefix) != 0) return 0;
    int port = std::atoi(address.c_str() + prefix.size());
    return port > 0 && port < 65536 ? port : 0;
}

namespace {

// A server on the configured address's own port, or none after a line that says why:
// a kit talking to a port another process holds would reach that process instead.
std::unique_ptr<testsupport::LoopbackServer> listenAt(const std::string& address, const char* service) {
    const int port = loopbackPort(address);
    if (!port) {
        std::cerr << "vistrel-demo: the " << service << " address " << address << " is not a loopback address\n";
        return nullptr;
    }
    auto server = std::make_unique<testsupport::LoopbackServer>(port);
    if (server->port() != port) {
        std::cerr << "vistrel-demo: cannot serve the " << service << " address " << address << ": port " << port
                  << " is taken (another demo running?)\n";
        return nullptr;
    }
    return server;
}

// The file a picture address of the sample answer names: "/icons/<name>.png" from the
// icons the build draws, "/thumbs/<name>.jpg" the sample page. None for anything else.
std::optional<std::filesystem::path> servedPicture(std::string_view target) {
    auto plain = [](std::string_view name) {
        return !name.empty() && name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-_") == std::string_view::npos;
    };
    if (target.starts_with("/icons/") && target.ends_with(".png")) {
        auto name = target.substr(7, target.size() - 11);
        if (plain(name)) return std::filesystem::path(VISTREL_SAMPLE_ICONS) / std::string(name).append(".png");
    } else if (target.starts_with("/thumbs/") && target.ends_with(".jpg") && plain(target.substr(8, target.size() - 12))) {
        return std::filesystem::path(VISTREL_SAMPLE_PAGE);
    }
    return std::nullopt;
}

testsupport::CannedAnswer pictureAnswer(const std::string& target) {
    auto file = servedPicture(target);
    auto bytes = file ? platform::readFile(*file, 64u << 20) : std::nullopt;
    if (!bytes) return {404, "", {}};
    std::cout << "  [service] GET " << target << ", " << bytes->size() << " bytes\n";
    const bool png = file->extension() == ".png";
    return {200, std::move(*bytes), {{"Content-Type", png ? "image/png" : "image/jpeg"}}};
}

}  // namespace

std::unique_ptr<testsupport::LoopbackServer> serveRecognitionWith(testsupport::LoopbackServer::Responder responder) {
    auto address = vistrel::SdkConfiguration::shared().urlValueForKey(vistrel::ConfigurationKey::sdkEnrichedImageUrl);
    auto service = listenAt(address, "recognition");
    if (service && responder) service->answerWith(std::move(responder));
    return service;
}

std::unique_ptr<testsupport::LoopbackServer> serveRecognition(const std::filesystem::path& answerFile) {
    auto answer = platform::readFile(answerFile, 64u << 20);
    if (!answer) {
        std::cerr << "vistrel-demo: cannot read the answer " << answerFile.string() << "\n";
        return nullptr;
    }
    auto service = serveRecognitionWith([answer = std::move(*answer)](const testsupport::CapturedRequest& request) {
        if (request.method == "GET") return pictureAnswer(request.target);
        std::cout << "  [service] " << request.method << " " << request.target << ", " << request.body.size()
                  << " bytes from " << request.header("DeviceName").value_or("?") << ", answered with "
                  << answer.size() << " bytes\n";
        return testsupport::CannedAnswer{200, answer, {{"Content-Type", "application/json"}}};
    });
    if (service) std::cout << "service: " << service->url("/") << " answers with " << answerFile.string() << "\n";
    return service;
}

std::unique_ptr<testsupport::LoopbackServer> serveStatistics() {
    const auto clicks = vistrel::SdkConfiguration::shared().urlValueForKey(vistrel::ConfigurationKey::sdkClicksUrl);
    auto statistics = listenAt(clicks, "statistics");
    if (statistics) statistics->answer({204, "", {}});
    return statistics;
}
