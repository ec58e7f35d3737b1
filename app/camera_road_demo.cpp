#include "camera_road_demo.hpp"

#include <chrono>
#include <iostream>
#include <string>

#include "action_road_demo.hpp"
#include "actions_demo.hpp"
#include "camera_stills_demo.hpp"
#include "loopback_services.hpp"
#include "vistrel/core/vistrel_pref.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/net/reachability_flags.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/table_view.hpp"
#include "vistrel/platform/ui/touch_delivery.hpp"
#include "vistrel/platform/ui/window.hpp"
#include "vistrel/presentation/image_view_model.hpp"
#include "vistrel/screens/actions/display_actions_view_controller.hpp"
#include "vistrel/screens/camera/camera_view_controller.hpp"
#include "vistrel/vistrel.hpp"

namespace {

namespace ui = platform::ui;
using platform::dispatch::RunLoop;
using namespace std::chrono_literals;

void writeScreen(ui::Window& window, const std::filesystem::path& path) {
    auto bitmap = ui::render(window);
    if (bitmap && platform::graphics::writePng(*bitmap, path))
        std::cout << "wrote " << path.string() << "\n";
    else
        std::cout << "could not write " << path.string() << "\n";
}

std::size_t waitingPhotos(vistrel::PersistanceController& store) {
    std::size_t count = 0;
    if (auto records = store.retrieveImages())
        for (const auto& record : *records) count += !record->documentId();
    return count;
}

}  // namespace

std::shared_ptr<CameraRoadDemo> runCameraRoad(const std::filesystem::path& out, const std::filesystem::path& photo,
                                              const std::optional<std::filesystem::path>& answer, bool offline) {
    std::cout << "\n== the road of a scan, from the camera screen" << (offline ? ", offline" : "") << "\n";
    pointCameraAt(photo);
    platform::net::setSimulatedNetwork(offline ? 0 : platform::net::ReachabilityFlags::reachable);
    std::cout << "camera: allowed, photographing " << photo.string() << "\n"
              << "network: " << (offline ? "unreachable" : "reachable") << "\n";
    std::unique_ptr<testsupport::LoopbackServer> recognition;
    std::unique_ptr<testsupport::LoopbackServer> statistics;
    if (!offline && answer) {
        recognition = serveRecognition(*answer);
        if (!recognition) return nullptr;
    } else if (!offline) {
        std::cout << "recognition service: none (the request is refused; only the photo's codes count)\n";
    }
    if (!offline) {
        statistics = serveStatistics();
        if (!statistics) return nullptr;
    }

    auto demo = std::make_shared<CameraRoadDemo>();
    demo->navigation = vistrel::Vistrel::rootViewController();
    if (!demo->navigation->viewControllers().empty())
        demo->camera = std::dynamic_pointer_cast<vistrel::CameraViewController>(demo->navigation->viewControllers().front());
    if (!demo->camera) {
        std::cout << "no camera screen in the root navigation controller\n";
        return nullptr;
    }
    auto& navigation = *demo->navigation;
    auto& camera = *demo->camera;
    demo->window = std::make_shared<ui::Window>();
    demo->window->setRootViewController(demo->navigation);
    demo->window->setHidden(false);
    if (!vistrel::VistrelPref::hasBeenMigrated()) {
        // A first launch: the camera screen opens the photo migration once it has appeared.
        std::cout << "first launch: "
                  << (navigation.presentedViewController() ? "the photo migration screen opened"
                                                           : "no migration screen")
                  << "\n";
        RunLoop::runUntil([&] { return !navigation.presentedViewController(); }, 10s);
        std::cout << "migration " << (vistrel::VistrelPref::hasBeenMigrated() ? "done" : "not done")
                  << ", its screen " << (navigation.presentedViewController() ? "still open" : "closed") << "\n";
    }
    RunLoop::runUntilIdle();
    const bool preview = RunLoop::runUntil([&] { return camera.cameraController->previewLayer() != nullptr; }, 5s);
    std::cout << "camera screen: " << (preview ? "the live preview shows the photo" : "no preview") << "\n";
    writeScreen(*demo->window, out / "camera.png");

    auto shutter = camera.photoView.lock();
    if (!shutter) return demo;
    const auto frame = shutter->convertRect(shutter->bounds(), nullptr);
    ui::tap(demo->window, {frame.midX(), frame.midY()});
    std::cout << "shutter pressed\n";
    if (!RunLoop::runUntil([&] { return !camera.isTakingPicture(); }, 60s)) {
        std::cout << "the scan did not end within a minute\n";
        return demo;
    }

    if (offline) {
        std::cout << "alert: " << camera.baseMessage().value_or("(none)") << "\n"
                  << "waiting list: " << waitingPhotos(*camera.persistanceController)
                  << " photo(s) kept to be sent later from the gallery\n";
        RunLoop::runFor(1700ms);  // the alert closes by itself
        return demo;
    }

    auto list = std::dynamic_pointer_cast<vistrel::DisplayActionsViewController>(navigation.topViewController());
    if (!list) {
        if (camera.alertController()) {
            // Without a service the alert can only say that it could not be reached; with
            // one, it says what became of its answer.
            std::cout << (answer ? "alert: " : "service unreachable: ") << camera.baseMessage().value_or("") << "\n";
            writeScreen(*demo->window, out / (answer ? "camera-alert.png" : "service-unreachable.png"));
        }
        else if (navigation.presentedViewController())
            std::cout << "the page's one action ran by itself: " << navigation.presentedViewController()->description()
                      << "\n";
        RunLoop::runFor(1700ms);
        return demo;
    }
    RunLoop::runUntil([&] { return list->tableView() && !list->tableView()->isHidden(); }, 5s);
    waitForRowImages();
    std::cout << "action list pushed: "
              << platform::excerptOnOneLine(list->imageViewModel->imageName().value_or("(no title)")) << ", "
              << list->imageViewModel->numberOfActions() << " action(s)\n";
    writeScreen(*demo->window, out / "actions.png");

    if (list->imageViewModel->numberOfActions() > 0) {
        std::cout << "first action tapped:\n";
        ActionListDemo actions{demo->window, demo->navigation, list};
        tapAndDescribe(actions, 0, out);
    }
    navigation.popToViewController(&camera, false);
    RunLoop::runUntilIdle();
    const bool photoHidden = camera.pictureImageView.lock() && camera.pictureImageView.lock()->isHidden();
    std::cout << "back on the camera screen" << (photoHidden ? ", the live preview showing again" : "") << "\n";
    if (statistics) {
        statistics->waitForRequests(1, 2s);
        std::cout << "click reports received: " << statistics->requests().size() << "\n";
    }
    return demo;
}
