#pragma once
// What the screens' tests share: the kit's build bundle, a loopback recognition service
// (answering 500 until told otherwise), the network reachable, the simulated back camera
// photographing real JPEG files, a history store in the service's folder, a shown window
// with a navigation controller, the manual clock for animations and timed alerts, and a
// finger. The camera and the service answer on threads of their own, so their ends are
// waited for in real time.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <utility>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/camera_stills.hpp"
#include "support/manual_time.hpp"
#include "support/pump_until.hpp"
#include "support/recognition_service.hpp"
#include "vistrel/core/sdk_configuration.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/core/vistrel_pref.hpp"
#include "vistrel/entry/vistrel.hpp"
#include "vistrel/platform/camera/camera_simulation.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/net/reachability_flags.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/touch_delivery.hpp"
#include "vistrel/platform/ui/window.hpp"
#include "vistrel/screens/camera/camera_view_controller.hpp"
#include "vistrel/screens/gallery/gallery_view_controller.hpp"
#include "vistrel/store/persistance_controller.hpp"

namespace screentest {

using namespace std::chrono_literals;
namespace ui = platform::ui;
namespace camera = platform::camera;
using platform::graphics::Color;
using platform::dispatch::RunLoop;
using Titles = std::vector<std::string>;
using testsupport::pumpUntil;

inline vistrel::Date at(int seconds) { return vistrel::Date(std::chrono::seconds(1'700'000'000 + seconds)); }

// A plain 64 x 48 photo of one colour.
inline platform::graphics::Image photo(Color color = Color::rgba(0.2, 0.5, 0.8, 1)) {
    auto bitmap = *platform::graphics::Bitmap::make(64, 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) bitmap.setPixel(x, y, color);
    return *platform::graphics::Image::make(std::move(bitmap));
}

inline ui::Point centreInWindow(const ui::View& view) {
    const ui::Rect frame = view.convertRect(view.bounds(), nullptr);
    return {frame.midX(), frame.midY()};
}

// The still of the plain tests: a blue picture, without any code.
inline const Color plainBlue = Color::rgba(40 / 255.0, 90 / 255.0, 160 / 255.0, 1);

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{VISTREL_BUILD_BUNDLE});
        vistrel::VistrelPref::setHasBeenMigrated(true);
        platform::net::setSimulatedNetwork(platform::net::ReachabilityFlags::reachable);
        camera::resetCameraSimulation();
        camera::setAuthorizationStatus(camera::AuthorizationStatus::authorized);
        useStill(testsupport::solidJpeg(plainBlue, 320, 240));
        service.server.answer({500, "", {}});
        window->setRootViewController(navigation);
        window->makeKeyAndVisible();
    }
    void TearDown() override {
        window->setHidden(true);
        time.advance(1h);
        RunLoop::runUntilIdle();
        platform::net::setSimulatedNetwork(std::nullopt);
        camera::resetCameraSimulation();
        vistrel::overrideBundleLocations(std::nullopt);
    }

    // A history over the test's folder, keeping `limit` records ("" for all).
    std::shared_ptr<vistrel::PersistanceController> makeStore(std::string limit = "") {
        auto layer = std::make_shared<vistrel::CoreDataLayer>();
        layer->setApplicationDocumentsDirectory(service.dir / "docs");
        platform::Dictionary configuration;
        configuration.set("GALLERY_NUMBER_ITEMS", std::move(limit));
        return std::make_shared<vistrel::PersistanceController>(
            layer, std::make_shared<vistrel::SdkConfiguration>(std::move(configuration)));
    }
    // The titles of the history as a fresh launch reads it from the file.
    Titles stored() {
        Titles titles;
        for (const auto& record : makeStore()->retrieveImages().value_or(vistrel::VistrelImages{}))
            titles.push_back(record->title().value_or("?"));
        return titles;
    }
    // A photo taken offline and never sent, and a recognised page titled `name`.
    std::shared_ptr<vistrel::VistrelImage> waiting(int seconds) {
        return store->createRandomVistrelImage(photo(), at(seconds));
    }
    std::shared_ptr<vistrel::VistrelImage> recognised(const std::string& name, int seconds, bool favorite = false) {
        auto record = store->loadOrCreateVistrelImage(std::string("doc-").append(name), name, name, photo(), at(seconds));
        record->setIsFavorite(favorite);
        store->saveContext();
        return record;
    }

    // The camera photographs these JPEG bytes from now on.
    void useStill(const std::string& jpeg) {
        camera::setStillsSource(stills.write(std::string("still-").append(std::to_string(++stillCount)).append(".jpg"), jpeg));
    }
    // The recognition service answers every upload with this document.
    void answerWith(std::string document) {
        service.server.answer({200, std::move(document), {{"Content-Type", "application/json"}}});
    }

    // The gallery pushed as the camera screen pushes it, its pages loaded.
    std::shared_ptr<vistrel::GalleryViewController> open(
        std::optional<vistrel::LibraryOption> option = vistrel::LibraryOption::recents) {
        auto gallery = vistrel::GalleryViewController::instance();
        gallery->persistanceController = store;
        if (option) gallery->option = *option;
        navigation->pushViewController(gallery, false);
        time.advance(1s);
        return gallery;
    }
    // The titles each page of the gallery lists, by tab.
    static std::vector<Titles> tabs(const vistrel::GalleryViewController& gallery) {
        std::vector<Titles> titles;
        for (const auto& page : gallery.contentControllers) {
            titles.emplace_back();
            for (const auto& record : page->vistrelImages()) titles.back().push_back(record->title().value_or("?"));
        }
        return titles;
    }
    // The card of the page's item, laid out on screen.
    static std::shared_ptr<vistrel::ImageCollectionViewCell> card(const vistrel::GalleryViewController& gallery,
                                                                  vistrel::LibraryOption tab, int item = 0) {
        auto grid = gallery.contentControllers.at(std::size_t(vistrel::rawValue(tab)))->collectionView();
        grid->layoutIfNeeded();
        return std::dynamic_pointer_cast<vistrel::ImageCollectionViewCell>(grid->cellForItem({0, item}));
    }

    void tap(const std::shared_ptr<ui::View>& view) {
        ASSERT_TRUE(view);
        ui::tap(window, centreInWindow(*view));
        RunLoop::runUntilIdle();
    }

    platform::LogCapture log;
    testsupport::RecognitionService service;
    testsupport::ManualTime time;
    testsupport::TempDir stills;
    int stillCount = 0;
    std::shared_ptr<vistrel::PersistanceController> store = makeStore();
    std::shared_ptr<ui::Window> window = std::make_shared<ui::Window>();
    std::shared_ptr<ui::NavigationController> navigation =
        std::make_shared<ui::NavigationController>(std::make_shared<ui::ViewController>());
};

// A host's store whose savePicture runs `meanwhile` once, before the kit's own.
struct HostsStore : vistrel::PersistanceController {
    using PersistanceController::PersistanceController;
    std::function<void()> meanwhile;
    bool savePicture(const platform::graphics::Image& picture, std::string_view key) override {
        if (meanwhile) std::exchange(meanwhile, nullptr)();
        return PersistanceController::savePicture(picture, key);
    }
};

}  // namespace screentest
