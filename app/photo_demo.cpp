#include "photo_demo.hpp"

#include <httplib.h>

#include <chrono>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

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
#include "store/vistrel_image_view_model.hpp"

namespace {

// A recognition service on the configured loopback address that answers every upload
// with the same document.
class LoopbackService {
public:
    LoopbackService(std::string answer) : answer_(std::move(answer)) {}
    ~LoopbackService() {
        server_.stop();
        if (thread_.joinable()) thread_.join();
    }

    // Starts listening on the host and port of the configured address; false when it cannot.
    bool start(const std::string& address) {
        auto rest = address.substr(address.find("://") + 3);
        auto colon = rest.find(':');
        auto slash = rest.find('/');
        if (colon == std::string::npos || (slash != std::string::npos && colon > slash)) return false;
        host_ = rest.substr(0, colon);
        int port = std::atoi(rest.substr(colon + 1, slash - colon - 1).c_str());
        std::string path = slash == std::string::npos ? "/" : rest.substr(slash);
        server_.Post(path, [this](const httplib::Request& request, httplib::Response& response) {
            std::cout << "  [service] " << request.method << " " << request.path << ", "
                      << request.body.size() << " bytes, photo part "
                      << (request.has_file("file") ? request.get_file_value("file").content.size() : 0)
                      << " bytes\n";
            response.set_content(answer_, "application/json");
        });
        if (!server_.bind_to_port(host_, port)) return false;
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        return true;
    }

private:
    std::string answer_;
    std::string host_;
    httplib::Server server_;
    std::thread thread_;
};

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

    std::unique_ptr<LoopbackService> service;
    if (options.service) {
        auto answer = platform::readFile(options.answer);
        if (!answer) {
            std::cerr << "vistrel-demo: cannot read the answer " << options.answer.string() << "\n";
            return 1;
        }
        auto address =
            vistrel::SdkConfiguration::shared().urlValueForKey(vistrel::ConfigurationKey::sdkEnrichedImageUrl);
        service = std::make_unique<LoopbackService>(std::move(*answer));
        if (!service->start(address)) {
            std::cerr << "vistrel-demo: cannot serve the recognition address " << address << "\n";
            return 1;
        }
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
