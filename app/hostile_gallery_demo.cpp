#include "hostile_gallery_demo.hpp"

#include <algorithm>
#include <chrono>
#include <functional>
#include <iostream>
#include <memory>
#include <string>

#include "demo_measures.hpp"
#include "photo_history.hpp"
#include "png_rows.hpp"          // the PNG writer the tests use, row by row
#include "progressive_jpeg.hpp"  // and their progressive JPEG writer
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/window.hpp"
#include "vistrel/screens/gallery/gallery_view_controller.hpp"
#include "vistrel/screens/gallery/image_collection_view_cell.hpp"

namespace {

using namespace std::chrono_literals;
using platform::dispatch::RunLoop;
namespace ui = platform::ui;

constexpr int kRecords = 30;

// Whether cards of the page still wait for pictures being decoded.
bool picturesPending(const vistrel::GalleryContentViewController& page) {
    return page.pictureLoader && page.pictureLoader->loading() > 0;
}

// Gives the main loop a turn, as a touch's end does, then runs it until no card of the
// page waits for its picture.
void waitForPictures(const vistrel::GalleryContentViewController& page) {
    RunLoop::runUntilIdle();
    RunLoop::runUntil([&] { return !picturesPending(page); }, 120s);
}

// Stands in for the gallery screen when a card is tapped: keeps the size of the photo
// handed on, and sends nothing.
struct TapRecorder : vistrel::GalleryContentProtocol {
    int width = 0, height = 0;
    void didSelectImagePicture(const platform::graphics::Image& picture, std::shared_ptr<vistrel::VistrelImage>,
                               vistrel::LibraryOption) override {
        width = picture.pixelWidth();
        height = picture.pixelHeight();
    }
    void deleteImage(std::shared_ptr<vistrel::VistrelImage>) override {}
    void didChangeFavorites() override {}
};

// The first card tapped, its photo read as the gallery reads it to send it again; one
// line with what it cost.
void tapFirstCard(vistrel::GalleryContentViewController& page) {
    auto recorder = std::make_shared<TapRecorder>();
    const auto gallery = page.contentDelegate;
    page.contentDelegate = recorder;
    MainThreadWatch watch;
    const auto start = DemoClock::now();
    page.didSelectItemAt(*page.collectionView(), {0, 0});
    RunLoop::runUntil([&] { return recorder->width > 0; }, 120s);
    const double read = secondsSince(start);
    std::cout << "   the first card tapped: its photo handed on at " << recorder->width << " x " << recorder->height
              << " after " << seconds(read) << "; " << watch.stop() << "\n";
    page.contentDelegate = gallery;
}

// A fresh gallery opened over the records and scrolled a screen at a time to its end;
// one line with what it cost, and the window drawn at the end.
void showGallery(const testsupport::PhotoHistory& records, const std::string& what, const std::filesystem::path& picture,
                 bool tapOne) {
    auto window = std::make_shared<ui::Window>();
    auto navigation = std::make_shared<ui::NavigationController>(std::make_shared<ui::ViewController>());
    window->setRootViewController(navigation);
    window->makeKeyAndVisible();
    RunLoop::runUntilIdle();
    resetPeakResident();
    const auto peakBefore = peakResidentMiB();
    MainThreadWatch watch;
    const auto start = DemoClock::now();
    auto gallery = vistrel::GalleryViewController::instance();
    gallery->persistanceController = records.store;
    gallery->option = vistrel::LibraryOption::recents;
    navigation->pushViewController(gallery, false);
    RunLoop::runFor(300ms);  // the pages and the first fetch
    if (gallery->contentControllers.empty()) {
        std::cout << what << ": the gallery has no pages\n";
        return;
    }
    auto& page = *gallery->contentControllers.front();
    auto grid = page.collectionView();
    waitForPictures(page);
    const double end = grid->maximumContentOffset().y, screen = grid->bounds().height();
    for (double y = screen; screen > 0 && y < end + screen; y += screen) {
        grid->setContentOffset({0, std::min(y, end)});
        grid->layoutIfNeeded();
        waitForPictures(page);
    }
    const double shown = secondsSince(start);
    int cards = 0, pictures = 0;
    for (const auto& cell : grid->visibleCells())
        if (auto card = std::dynamic_pointer_cast<vistrel::ImageCollectionViewCell>(cell)) {
            ++cards;
            auto view = card->imageView.lock();
            pictures += view && view->image() ? 1 : 0;
        }
    const std::string held = watch.stop();
    std::cout << what << ": " << page.vistrelImages().size() << " cards opened and scrolled through in "
              << seconds(shown) << ", " << pictures << " of the last screen's " << cards << " with a picture; " << held
              << "; peak memory " << peakResidentMiB() << " MiB (" << peakBefore << " MiB when it began)\n";
    if (tapOne) tapFirstCard(page);
    if (auto bitmap = ui::render(*window); bitmap && platform::graphics::writePng(*bitmap, picture))
        std::cout << "   wrote " << picture.filename().string() << "\n";
    navigation->popViewController(false);
    RunLoop::runUntilIdle();
}

}  // namespace

void hostilePhotoFiles(const platform::graphics::Image& photo, const std::filesystem::path& out) {
    std::cout << "\n== hostile photo files in the gallery\n";
    const testsupport::PhotoHistory records(kRecords, photo);
    if (records.files.size() != kRecords) {
        std::cout << "the records could not be made\n";
        return;
    }
    std::error_code ec;
    const auto kitBytes = std::filesystem::file_size(records.files.front(), ec);
    showGallery(records,
                "thirty records with the kit's own photos (JPEGs of " + std::to_string(photo.pixelWidth()) + " x " +
                    std::to_string(photo.pixelHeight()) + ", " + std::to_string(kitBytes / 1024) + " KB each)",
                out / "hostile-gallery-kit.png", true);
    const std::function<std::string()> kinds[] = {
        [] { return imagetest::twoColourPng(8192, 8192, {30, 60, 90, 255}, {200, 100, 50, 255}); },
        [] { return imagetest::progressiveJpeg(8000, 8000); },
    };
    const char* whats[] = {"PNGs of 8192 x 8192", "progressive JPEGs of 8000 x 8000"};
    const char* pictures[] = {"hostile-gallery-png.png", "hostile-gallery-progressive.png"};
    for (std::size_t i = 0; i < std::size(kinds); ++i) {
        const std::string bytes = kinds[i]();
        records.replaceFiles(bytes);
        showGallery(records,
                    std::string("the same records, their photo files replaced by ") + whats[i] + " (" +
                        std::to_string(bytes.size() / 1024) + " KB each)",
                    out / pictures[i], i == 0);  // a progressive one is refused: nothing to tap for
    }
}
