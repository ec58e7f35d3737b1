#include "photo_demo.hpp"

#include <chrono>
#include <iostream>
#include <memory>
#include <string>

#include "core/configuration_key.hpp"
#include "core/sdk_configuration.hpp"
#include "core/vistrel_error.hpp"
#include "model/image.hpp"
#include "platform/dispatch/run_loop.hpp"
#include "platform/foundation/file_io.hpp"
#include "platform/foundation/log.hpp"
#include "platform/graphics/image.hpp"
#include "presentation/image_view_model.hpp"
#include "service/picture_scanner.hpp"
#include "support/loopback_server.hpp"
#include "store/vistrel_image_view_model.hpp"

namespace {

// The port of a loopback address ("http://127.0.0.1:8930/..."); 0 when it names none.
int loopbackPort(const std::string& address) {
    const std::string prefix = "http://127.0.0.1:";
    if (address.compare(0, prefix.size(), prefix) != 0) return 0;
    int port = std::atoi(address.c_str() + prefix.size());
    return port > 0 && port < 65536 ? port : 0;
}

std::string shown(const std::optional<std::string>& text) {
    if (!text) return "(none)";
    std::string escaped = platform::escapeControlCharacters(*text);
    if (escaped.size() > 70) escaped = escaped.substr(0, 67) + "...";
    std::string quoted = "\"";
    quoted += escaped;
    quoted += '"';
    return quoted;
}

// The address, number or text an action carries, whichever its content holds first.
std::optional<std::string> mainContent(const vistrel::Action& action) {
    if (!action.content) return std::nullopt;
    const auto& json = action.content->json;
    for (const char* key : {"Url", "Number", "Address", "SearchAddress", "Text", "Content", "VCalendar", "VCard"})
        if (auto text = json[key].string()) return text;
    return std::nullopt;
}

void printImage(const vistrel::Image& image) {
    std::cout << "title: " << shown(image.title) << "\n";
    if (!image.actions || image.actions->empty()) {
        std::cout << "actions: (none)\n";
        return;
    }
    std::size_t position = 0;
    for (const auto& action : *image.actions) {
        std::string kind = action.type ? std::string(vistrel::rawValue(*action.type)) : "(no kind)";
        std::cout << "  " << ++position << ". " << kind << (action.isQrCode ? " (QR)" : "") << "  "
                  << shown(action.name) << "  -> " << shown(mainContent(action)) << "\n";
    }
}

}  // namespace

int scanPhoto(const PhotoDemoOptions& options) {
    std::cout << "\n== scan of " << options.photo.string() << "\n";
    auto bytes = platform::readFile(options.photo);
    if (!bytes) {
        std::cerr << "vistrel-demo: cannot read the photo " << options.photo.string() << "\n";
        return 1;
    }
    if (bytes->empty()) {
        std::cerr << "vistrel-demo: the photo " << options.photo.string() << " is empty\n";
        return 1;
    }
    auto photo = platform::graphics::Image::decode(*bytes);
    if (!photo) {
        std::cerr << "vistrel-demo: " << options.photo.string() << " is not a PNG, JPEG or GIF picture\n";
        return 1;
    }
    std::cout << "photo: " << photo->pixelWidth() << " x " << photo->pixelHeight() << " pixels\n";

    // A recognition service on the configured loopback address that answers every upload
    // with the same document.
    std::unique_ptr<testsupport::LoopbackServer> service;
    if (options.service) {
        auto answer = platform::readFile(options.answer);
        if (!answer) {
            std::cerr << "vistrel-demo: cannot read the answer " << options.answer.string() << "\n";
            return 1;
        }
        auto address =
            vistrel::SdkConfiguration::shared().urlValueForKey(vistrel::ConfigurationKey::sdkEnrichedImageUrl);
        int port = loopbackPort(address);
        if (port) service = std::make_unique<testsupport::LoopbackServer>(port);
        if (!service || service->port() != port) {
            std::cerr << "vistrel-demo: cannot serve the recognition address " << address << "\n";
            return 1;
        }
        service->answerWith([answer = std::move(*answer)](const testsupport::CapturedRequest& request) {
            std::cout << "  [service] " << request.method << " " << request.target << ", " << request.body.size()
                      << " bytes from " << request.header("DeviceName").value_or("?") << ", answered with "
                      << answer.size() << " bytes\n";
            return testsupport::CannedAnswer{200, answer, {{"Content-Type", "application/json"}}};
        });
        std::cout << "service: " << address << " answers with " << options.answer.string() << "\n";
    } else {
        std::cout << "service: none (the request is refused; only the photo's codes count)\n";
    }

    bool done = false;
    vistrel::PictureScanner().groupedRequests(
        *photo, [&done, &photo](std::optional<vistrel::Image> image, std::optional<vistrel::VistrelError> error) {
            done = true;
            if (image) {
                printImage(*image);
                // Recorded as the action list screen records what it shows.
                auto stored = vistrel::VistrelImageViewModel::make(vistrel::ImageViewModel(*image), *photo);
                std::cout << (stored ? "recorded in the history" : "not recorded (no identifier or title)") << "\n";
            } else {
                std::cout << "no image: "
                          << (error ? vistrel::localizedString(*error) : std::string("(no error)")) << "\n";
            }
        });
    if (!platform::dispatch::RunLoop::runUntil([&done] { return done; }, std::chrono::seconds(60)))
        std::cout << "the scan did not finish within a minute\n";
    return 0;
}
