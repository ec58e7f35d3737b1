#pragma once
// The camera screen as a user meets it: the kit's root navigation controller (or the
// embedded one) in a shown window, the simulated back camera photographing real JPEG
// files, a loopback recognition service, the network reachable or not, and a history of
// the test's own. Timed work (the self-closing alerts, the menu's animations) runs on a
// manual clock; the scan itself goes over real sockets, so its end is waited for.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/vistrel_bundle.hpp"
#include "core/vistrel_pref.hpp"
#include "entry/vistrel.hpp"
#include "fab/fab.hpp"
#include "model/answer_fixtures.hpp"
#include "platform/camera/camera_simulation.hpp"
#include "platform/dispatch/run_loop.hpp"
#include "platform/foundation/log.hpp"
#include "platform/net/reachability_flags.hpp"
#include "platform/ui/navigation_controller.hpp"
#include "platform/ui/touch_delivery.hpp"
#include "platform/ui/window.hpp"
#include "screens/camera_view_controller.hpp"
#include "store/persistance_controller.hpp"
#include "support/camera_stills.hpp"
#include "support/manual_time.hpp"
#include "support/qr/qr_pictures.hpp"
#include "support/recognition_service.hpp"

namespace camerascreen {

using namespace std::chrono_literals;
namespace ui = platform::ui;
namespace camera = platform::camera;

using modeltest::fixtureText;

// A photo of a page with one QR code on it, as JPEG bytes.
inline std::string qrPhoto(const std::string& payload) {
    qrtest::Scene scene;
    scene.width = 640;
    scene.height = 480;
    scene.codes = {{payload, 0.5, 0.5, 0.5, 0}};
    return qrtest::sceneJpeg(scene);
}

// The still of the plain tests: a blue picture, without any code.
inline const platform::graphics::Color plainBlue = platform::graphics::Color::rgba(40 / 255.0, 90 / 255.0, 160 / 255.0, 1);

inline ui::Point centreInWindow(const ui::View& view) {
    const ui::Rect frame = view.convertRect(view.bounds(), nullptr);
    return {frame.midX(), frame.midY()};
}

class CameraScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{VISTREL_BUILD_BUNDLE});
        vistrel::VistrelPref::setHasBeenMigrated(true);
        platform::net::setSimulatedNetwork(platform::net::ReachabilityFlags::reachable);
        camera::resetCameraSimulation();
        camera::setAuthorizationStatus(camera::AuthorizationStatus::authorized);
        useStill(testsupport::solidJpeg(plainBlue, 320, 240));
        service.server.answer({500, "", {}});
    }
    void TearDown() override {
        if (window) window->setHidden(true);
        time.advance(1h);
        platform::net::setSimulatedNetwork(std::nullopt);
        camera::resetCameraSimulation();
        vistrel::overrideBundleLocations(std::nullopt);
    }

    // The camera photographs these JPEG bytes from now on.
    void useStill(const std::string& jpeg) {
        camera::setStillsSource(stills.write("still-" + std::to_string(++stillCount) + ".jpg", jpeg));
    }

    // The recognition service answers every upload with this document.
    void answerWith(std::string document) {
        service.server.answer({200, std::move(document), {{"Content-Type", "application/json"}}});
    }

    // The kit's root navigation controller (or, embedded, the camera screen alone) shown
    // in the window, its camera running.
    void show(bool embedded = false) {
        navigation = embedded ? vistrel::Vistrel::cameraViewController() : vistrel::Vistrel::rootViewController();
        screen = std::dynamic_pointer_cast<vistrel::CameraViewController>(navigation->viewControllers().front());
        ASSERT_TRUE(screen);
        screen->persistanceController = store;
        window->setRootViewController(navigation);
        window->makeKeyAndVisible();
        ASSERT_TRUE(pumpUntil([&] { return screen->cameraController->previewLayer() != nullptr; }));
    }

    // Runs the main queue until `done` holds, in real time: the camera and the service
    // answer on threads of their own. The manual clock does not move.
    static bool pumpUntil(const std::function<bool()>& done, int rounds = 1000) {
        for (int i = 0; i < rounds && !done(); ++i) {
            platform::dispatch::RunLoop::runUntilIdle();
            if (!done()) std::this_thread::sleep_for(2ms);
        }
        platform::dispatch::RunLoop::runUntilIdle();
        return done();
    }

    // A finger on the shutter.
    void pressShutter() { ui::tap(window, centreInWindow(*screen->photoView.lock())); }

    // Presses the shutter and waits until the screen is done with the picture.
    void takePicture() {
        pressShutter();
        ASSERT_TRUE(pumpUntil([&] { return !screen->isTakingPicture(); }));
    }

    // The history's records without a document identifier: the gallery's waiting list.
    std::size_t waitingCount() {
        std::size_t count = 0;
        if (auto records = store->retrieveImages())
            for (const auto& record : *records) count += !record->documentId();
        return count;
    }

    template <class V>
    bool hidden(const std::weak_ptr<V>& outlet) const {
        return outlet.lock()->isHidden();
    }
    // Which of shutter, flash, gallery button, floating menu and menu button are hidden.
    std::vector<bool> controlsHidden() const {
        return {hidden(screen->photoView), hidden(screen->flashButton), hidden(screen->galleryButton),
                hidden(screen->fabView), hidden(screen->menuButton)};
    }
    static std::vector<bool> navigationHidden(bool embedded) { return {false, false, embedded, embedded, embedded}; }

    platform::LogCapture log;
    testsupport::RecognitionService service;
    testsupport::ManualTime time;
    testsupport::TempDir stills;
    int stillCount = 0;
    std::shared_ptr<vistrel::PersistanceController> store = [this] {
        auto layer = std::make_shared<vistrel::CoreDataLayer>();
        layer->setApplicationDocumentsDirectory(service.dir / "docs");
        return std::make_shared<vistrel::PersistanceController>(layer);
    }();
    std::shared_ptr<ui::Window> window = std::make_shared<ui::Window>();
    std::shared_ptr<ui::NavigationController> navigation;
    std::shared_ptr<vistrel::CameraViewController> screen;
};

}  // namespace camerascreen
