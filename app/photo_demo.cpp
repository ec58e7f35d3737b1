#include "photo_demo.hpp"

#include <chrono>
#include <iostream>
#include <memory>
#include <string>

#include "loopback_services.hpp"
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
        service = serveRecognition(options.answer);
        if (!service) return 1;
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
