#pragma once
// What the gallery's tests share: a real history store in a fresh folder, records with
// real JPEG photo files, a shown window whose navigation controller the gallery is
// pushed on, the manual clock for animations and timed alerts, and a finger.
#include <gtest/gtest.h>

#include "core/sdk_configuration.hpp"
#include "core/vistrel_bundle.hpp"
#include "platform/foundation/log.hpp"
#include "platform/ui/navigation_controller.hpp"
#include "platform/ui/touch_delivery.hpp"
#include "platform/ui/window.hpp"
#include "screens/gallery_view_controller.hpp"
#include "support/manual_time.hpp"
#include "support/temp_dir.hpp"

namespace gallerytest {

using namespace std::chrono_literals;
using vistrel::GalleryViewController;
using vistrel::LibraryOption;
using vistrel::VistrelImage;
using Titles = std::vector<std::string>;

inline vistrel::Date at(int seconds) { return vistrel::Date(std::chrono::seconds(1'700'000'000 + seconds)); }

inline platform::graphics::Image photo(platform::graphics::Color color = platform::graphics::Color::rgba(0.2, 0.5, 0.8, 1)) {
    auto bitmap = *platform::graphics::Bitmap::make(64, 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) bitmap.setPixel(x, y, color);
    return *platform::graphics::Image::make(std::move(bitmap));
}

struct GalleryTest : ::testing::Test {
    testsupport::TempDir dir;
    platform::LogCapture log;
    testsupport::ManualTime time;
    std::shared_ptr<vistrel::PersistanceController> store;
    std::shared_ptr<platform::ui::NavigationController> navigation =
        std::make_shared<platform::ui::NavigationController>(std::make_shared<platform::ui::ViewController>());
    std::shared_ptr<platform::ui::Window> window = std::make_shared<platform::ui::Window>();

    void SetUp() override {
        vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{VISTREL_BUILD_BUNDLE});
        store = makeStore("");
        window->setRootViewController(navigation);
        window->makeKeyAndVisible();
    }
    void TearDown() override {
        platform::dispatch::RunLoop::runUntilIdle();
        vistrel::overrideBundleLocations(std::nullopt);
    }

    // A history over this test's folder, keeping `limit` records ("" for all).
    std::shared_ptr<vistrel::PersistanceController> makeStore(std::string limit) {
        auto layer = std::make_shared<vistrel::CoreDataLayer>();
        layer->setApplicationDocumentsDirectory(dir / "docs");
        platform::Dictionary configuration;
        configuration.set("GALLERY_NUMBER_ITEMS", std::move(limit));
        return std::make_shared<vistrel::PersistanceController>(
            layer, std::make_shared<vistrel::SdkConfiguration>(std::move(configuration)));
    }
    // The titles of the history as a fresh launch reads it from the file.
    Titles stored() {
        Titles titles;
        for (const auto& record : makeStore("")->retrieveImages().value_or(vistrel::VistrelImages{}))
            titles.push_back(record->title().value_or("?"));
        return titles;
    }

    // A photo taken offline and never sent ("Photo not sent").
    std::shared_ptr<VistrelImage> waiting(int seconds) { return store->createRandomVistrelImage(photo(), at(seconds)); }
    // A recognised page titled `name`.
    std::shared_ptr<VistrelImage> recognised(const std::string& name, int seconds, bool favorite = false) {
        auto record = store->loadOrCreateVistrelImage(std::string("doc-").append(name), name, name, photo(), at(seconds));
        record->setIsFavorite(favorite);
        store->saveContext();
        return record;
    }

    // The gallery pushed as the camera screen pushes it, its pages loaded.
    std::shared_ptr<GalleryViewController> open(std::optional<LibraryOption> option = LibraryOption::recents) {
        auto gallery = GalleryViewController::instance();
        gallery->persistanceController = store;
        if (option) gallery->option = *option;
        navigation->pushViewController(gallery, false);
        time.advance(1s);
        return gallery;
    }

    // The titles each page lists, by tab.
    static std::vector<Titles> tabs(const GalleryViewController& gallery) {
        std::vector<Titles> titles;
        for (const auto& page : gallery.contentControllers) {
            titles.emplace_back();
            for (const auto& record : page->vistrelImages()) titles.back().push_back(record->title().value_or("?"));
        }
        return titles;
    }

    // The card of the page's item, laid out on screen.
    static std::shared_ptr<vistrel::ImageCollectionViewCell> card(const GalleryViewController& gallery, LibraryOption tab,
                                                                  int item = 0) {
        auto grid = gallery.contentControllers.at(std::size_t(vistrel::rawValue(tab)))->collectionView();
        grid->layoutIfNeeded();
        return std::dynamic_pointer_cast<vistrel::ImageCollectionViewCell>(grid->cellForItem({0, item}));
    }

    void tap(const std::shared_ptr<platform::ui::View>& view) {
        ASSERT_TRUE(view);
        const auto frame = view->convertRect(view->bounds(), nullptr);
        platform::ui::tap(window, {frame.midX(), frame.midY()});
        platform::dispatch::RunLoop::runUntilIdle();
    }
};

}  // namespace gallerytest
