#include "photo_demo.hpp"

#include <chrono>
#include <iostream>
#include <string>
#include <memory>

#include "camera_road_demo.hpp"
#include "gallery_demo.hpp"
#include "loopback_services.hpp"
#include "tutorial_demo.hpp"
#include "vistrel/fab/fab.hpp"
#include "vistrel/fab/fab_item.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/net/reachability_flags.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/touch_delivery.hpp"
#include "vistrel/platform/ui/window.hpp"
#include "vistrel/screens/camera/camera_view_controller.hpp"

namespace {

// One line on standard error and false when the file cannot serve as a photo.
bool readablePhoto(const std::filesystem::path& path) {
    auto bytes = platform::readFile(path, 64u << 20);
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

// The tutorial as a user opens it: a tap on the floating menu button, which opens its
// entries (menu.png), then a tap on the first entry, the tutorial.
void openTutorialFromMenu(const CameraRoadDemo& road, const std::filesystem::path& out) {
    namespace ui = platform::ui;
    using platform::dispatch::RunLoop;
    std::cout << "\n== the camera screen's menu\n";
    RunLoop::runUntilIdle();
    auto fab = road.camera->fabView.lock();
    if (!fab || fab->isHidden() || fab->items().empty()) {
        std::cout << "no floating menu on the camera screen\n";
        return;
    }
    const auto centre = [](const ui::View& view) {
        const ui::Rect frame = view.convertRect(view.bounds(), nullptr);
        return ui::Point{frame.midX(), frame.midY()};
    };
    ui::tap(road.window, centre(*fab));
    RunLoop::runFor(std::chrono::milliseconds(600));
    std::cout << "menu opened: " << fab->items().size() << " entries\n";
    auto bitmap = ui::render(*road.window);
    const auto path = out / "menu.png";
    if (bitmap && platform::graphics::writePng(*bitmap, path)) std::cout << "wrote " << path.string() << "\n";
    ui::tap(road.window, centre(*fab->items().front()));
    RunLoop::runFor(std::chrono::milliseconds(600));
    std::cout << "first entry tapped: "
              << (road.camera->presentedViewController() ? road.camera->presentedViewController()->description()
                                                         : std::string("nothing presented"))
              << "\n";
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
            std::cout << describe(resendWaitingPhotos(road->window, road->navigation, *gallery)) << "\n";
        }
    }
    road->navigation->popToRootViewController(false);

    openTutorialFromMenu(*road, out);
    runTutorialDemo(road->camera, out);
    platform::net::setSimulatedNetwork(std::nullopt);
    return 0;
}
