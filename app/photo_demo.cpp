#include "photo_demo.hpp"

#include <iostream>
#include <memory>

#include "camera_road_demo.hpp"
#include "gallery_demo.hpp"
#include "loopback_services.hpp"
#include "tutorial_demo.hpp"
#include "platform/foundation/file_io.hpp"
#include "platform/graphics/image.hpp"
#include "platform/net/reachability_flags.hpp"
#include "platform/ui/navigation_controller.hpp"
#include "screens/camera_view_controller.hpp"

namespace {

// One line on standard error and false when the file cannot serve as a photo.
bool readablePhoto(const std::filesystem::path& path) {
    auto bytes = platform::readFile(path);
    if (!bytes) {
        std::cerr << "vistrel-demo: cannot read the photo " << path.string() << "\n";
        return false;
    }
    if (bytes->empty()) {
        std::cerr << "vistrel-demo: the photo " << path.string() << " is empty\n";
        return false;
    }
    auto photo = platform::graphics::Image::decode(*bytes);
    if (!photo) {
        std::cerr << "vistrel-demo: " << path.string() << " is not a PNG, JPEG or GIF picture\n";
        return false;
    }
    std::cout << "photo: " << path.string() << ", " << photo->pixelWidth() << " x " << photo->pixelHeight()
              << " pixels\n";
    return true;
}

}  // namespace

int runPhotoRoad(const PhotoDemoOptions& options, const std::filesystem::path& out) {
    if (!readablePhoto(options.photo)) return 1;
    std::optional<std::filesystem::path> answer;
    if (options.service) answer = options.answer;
    auto road = runCameraRoad(out, options.photo, answer, options.offline);
    if (!road) return 1;

    // The photos that waited for the network go out again from the gallery, to the same
    // loopback service.
    std::unique_ptr<testsupport::LoopbackServer> recognition;
    if (!options.offline && answer) {
        recognition = serveRecognition(*answer);
        if (!recognition) return 1;
    }
    if (auto gallery = showGallery(road->window, road->navigation, out)) {
        if (!options.offline) {
            int sent = resendWaitingPhotos(road->window, road->navigation, *gallery);
            std::cout << "waiting photos sent again: " << sent << "\n";
        }
    }
    road->navigation->popToRootViewController(false);

    runTutorialDemo(road->camera, out);
    platform::net::setSimulatedNetwork(std::nullopt);
    return 0;
}
