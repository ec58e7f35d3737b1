#include "hostile_gallery_demo.hpp"

#include <algorithm>
#include <chrono>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <string>

#include "demo_measures.hpp"
#include "hostile_pictures.hpp"
#include "photo_history.hpp"
#include "png_rows.hpp"          // the PNG writer the tests use, row by row
#include "progressive_jpeg.hpp"  // and their progressive JPEG writer
#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
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

// The first card tapped as soon as the gallery shows, while its cards' pictures are still
// being decoded, its photo read as the gallery reads it to send it again; one line with
// what it cost.
void tapFirstCard(vistrel::GalleryContentViewController& page) {
    auto recorder = std::make_shared<TapRecorder>();
    const auto gallery = page.contentDelegate;
    page.contentDelegate = recorder;
    const std::size_t waiting = page.pictureLoader ? page.pictureLoader->loading() : 0;
    MainThreadWatch watch;
    const auto start = DemoClock::now();
    page.didSelectItemAt(*page.collectionView(), {0, 0});
    RunLoop::runUntil([&] { return recorder->width > 0; }, 120s);
    const double read = secondsSince(start);
    std::cout << "   the first card tapped with " << waiting << " cards' pictures still to decode: its photo handed on at "
              << recorder->width << " x " << recorder->height << " after " << seconds(read) << "; " << watch.stop()
              << "\n";
    page.contentDelegate = gallery;
}

// A fresh gallery over the store opened (its first card tapped at once when asked) and
// scrolled a screen at a time to its end; one line with what it cost, and the window
// drawn at the end.
void showGallery(const std::shared_ptr<vistrel::PersistanceController>& store, const std::string& what,
                 const std::filesystem::path& picture, bool tapOne) {
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
    gallery->persistanceController = store;
    gallery->option = vistrel::LibraryOption::recents;
    navigation->pushViewController(gallery, false);
    RunLoop::runFor(300ms);  // the pages and the first fetch
    if (gallery->contentControllers.empty()) {
        std::cout << what << ": the gallery has no pages\n";
        return;
    }
    auto& page = *gallery->contentControllers.front();
    auto grid = page.collectionView();
    std::cout << what << "\n";
    if (tapOne) tapFirstCard(page);
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
    std::cout << "   " << page.vistrelImages().size() << " cards opened and scrolled through in " << seconds(shown)
              << ", " << pictures << " of the last screen's " << cards << " with a picture; " << held
              << "; peak memory " << peakResidentMiB() << " MiB (" << peakBefore << " MiB when it began)\n";
    if (auto bitmap = ui::render(*window); bitmap && platform::graphics::writePng(*bitmap, picture))
        std::cout << "   wrote " << picture.filename().string() << "\n";
    navigation->popViewController(false);
    RunLoop::runUntilIdle();
}

// A host's store that keeps its photos itself, in memory, and counts what the gallery
// asks of it.
struct HostStore : vistrel::PersistanceController {
    using PersistanceController::PersistanceController;
    std::map<std::string, platform::graphics::Image, std::less<>> photos;
    int asked = 0, onTheMainThread = 0;
    bool savePicture(const platform::graphics::Image& picture, std::string_view key) override {
        photos.insert_or_assign(std::string(key), picture);
        return true;
    }
    std::optional<platform::graphics::Image> getPicture(std::string_view key) override {
        ++asked;
        onTheMainThread += platform::dispatch::isMainThread() ? 1 : 0;
        const auto found = photos.find(key);
        return found == photos.end() ? std::nullopt : std::optional(found->second);
    }
};

// A host's subclass of the store that saves its photos its own way (here the kit's, counted)
// and leaves reading them to the kit: its cards cost what the kit's own store's cost.
struct SavesItsWay : vistrel::PersistanceController {
    using PersistanceController::PersistanceController;
    int saved = 0;
    bool savePicture(const platform::graphics::Image& picture, std::string_view key) override {
        ++saved;
        return PersistanceController::savePicture(picture, key);
    }
};

}  // namespace

void hostilePhotoFiles(const platform::graphics::Image& photo, const std::filesystem::path& out) {
    std::cout << "\n== hostile photo files in the gallery\n";
    const testsupport::PhotoHistory records(kRecords, photo);
    if (records.files.size() != kRecords) {
        std::cout << "the records could not be made\n";
        return;
    }
    std::error_code ec;
    const std::string kitJpeg = platform::readFile(records.files.front(), 64u << 20).value_or("");
    const auto kitBytes = kitJpeg.size();
    showGallery(records.store,
                "thirty records with the kit's own photos (JPEGs of " + std::to_string(photo.pixelWidth()) + " x " +
                    std::to_string(photo.pixelHeight()) + ", " + std::to_string(kitBytes / 1024) + " KB each)",
                out / "hostile-gallery-kit.png", true);

    // The same records over a host's store that keeps its photos itself.
    auto host = std::make_shared<HostStore>(records.store->layer);
    for (int i = 0; i < kRecords; ++i) host->photos.insert_or_assign("photo" + std::to_string(i), photo);
    showGallery(host, "the same records in a host's store that keeps its photos itself", out / "hostile-gallery-host.png",
                true);
    std::cout << "   its getPicture asked " << host->asked << " times, " << host->onTheMainThread
              << " of them on the main thread\n";
    showGallery(std::make_shared<SavesItsWay>(records.store->layer),
                "the same records in a host's subclass of the store that only saves photos its own way",
                out / "hostile-gallery-subclass.png", true);

    struct Kind {
        const char* what;
        const char* picture;
        std::function<std::string()> bytes;
        std::uintmax_t padding = 0;  // zeros after the picture, sparse on disk
        bool tap = false;            // a picture the gallery shows: one to tap
    };
    const Kind kinds[] = {
        {"PNGs of 8192 x 8192", "hostile-gallery-png.png",
         [] { return imagetest::twoColourPng(8192, 8192, {30, 60, 90, 255}, {200, 100, 50, 255}); }, 0, true},
        {"progressive JPEGs of 8000 x 8000", "hostile-gallery-progressive.png",
         [] { return imagetest::progressiveJpeg(8000, 8000); }},
        {"progressive JPEGs of 2048 x 2048 followed by 100,000 scans", "hostile-gallery-scans.png",
         [] { return imagetest::jpegWithManyScans(2048, 2048, 100'000); }},
        {"GIFs of 512 x 512 whose pixels follow 2 MB of clear codes", "hostile-gallery-clear-codes.png",
         [] { return imagetest::gifWithClearCodes(512, 512, 2u << 20); }},
        {"the kit's own JPEGs followed by 250 MB of zeros", "hostile-gallery-padded.png",
         [&] { return kitJpeg; }, 250u << 20, true},
        {"64 x 64 PNGs whose end chunk claims 2 GB, followed by 250 MB of zeros", "hostile-gallery-png-end.png",
         [] {
             return imagetest::pngWhoseEndClaims(imagetest::twoColourPng(64, 64, {30, 60, 90, 255}, {200, 100, 50, 255}),
                                                 0x7FFFFFFF);
         },
         250u << 20},
        {"the kit's own JPEGs without their end marker, followed by 250 MB of zeros", "hostile-gallery-jpeg-end.png",
         [&] { return imagetest::jpegWithoutItsEnd(kitJpeg); }, 250u << 20},
        {"GIFs of 2048 x 2048 in two frames, each with the most clear codes a frame may hold",
         "hostile-gallery-clear-code-bound.png", [] { return imagetest::gifAtTheClearCodeBound(2048, 2048, 2); }, 0, true},
        {"PNGs of 1600 x 1200 behind a text chunk of 20 MiB", "hostile-gallery-png-text.png",
         [] {
             return imagetest::pngWithTextBeforeItsPixels(
                 imagetest::twoColourPng(1600, 1200, {30, 60, 90, 255}, {200, 100, 50, 255}), 20u << 20);
         },
         0, true},
        {"CMYK JPEGs of 1600 x 1200 as Photoshop writes them", "hostile-gallery-cmyk.png",
         [] {
             return imagetest::cmykJpeg(1600, 1200, imagetest::CmykForm::adobeInverted, [](int x, int y) {
                 return imagetest::Inks{static_cast<std::uint8_t>(x * 255 / 1600), static_cast<std::uint8_t>(y * 255 / 1200),
                                        40, 0};
             });
         },
         0, true},
    };
    for (const Kind& kind : kinds) {
        const std::string bytes = kind.bytes();
        records.replaceFiles(bytes);
        for (const auto& file : records.files)
            if (kind.padding) std::filesystem::resize_file(file, bytes.size() + kind.padding, ec);
        showGallery(records.store,
                    std::string("the same records, their photo files replaced by ") + kind.what + " (" +
                        std::to_string((bytes.size() + kind.padding) / 1024) + " KB each)",
                    out / kind.picture, kind.tap);
    }
}
