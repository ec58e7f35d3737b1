#include "hostile_gallery_demo.hpp"

#include <algorithm>
#include <chrono>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "demo_measures.hpp"
#include "hostile_pictures.hpp"
#include "photo_history.hpp"
#include "png_rows.hpp"          // the PNG writer the tests use, row by row
#include "progressive_jpeg.hpp"  // and their progressive JPEG writer
#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/log.hpp"
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

// What the demo says of the page once it is scrolled to its end (a line, or nothing).
using LastScreen = std::function<std::string(vistrel::GalleryContentViewController& page)>;

// A fresh gallery over the store opened (its first card tapped at once when asked) and
// scrolled a screen at a time to its end; one line with what it cost, then what
// `lastScreen` says of it, and the window drawn at the end.
void showGallery(const std::shared_ptr<vistrel::PersistanceController>& store, const std::string& what,
                 const std::filesystem::path& picture, bool tapOne, const LastScreen& lastScreen = {}) {
    auto window = std::make_shared<ui::Window>();
    auto navigation = std::make_shared<ui::NavigationController>(std::make_shared<ui::ViewController>());
    window->setRootViewController(navigation);
    window->makeKeyAndVisible();
    RunLoop::runUntilIdle();
    std::cout << what << "\n" << std::flush;  // before the kit's lines of this gallery
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
        std::cout << "   the gallery has no pages\n";
        return;
    }
    auto& page = *gallery->contentControllers.front();
    auto grid = page.collectionView();
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
    if (lastScreen)
        if (const std::string line = lastScreen(page); !line.empty()) std::cout << "   " << line << "\n";
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

// A host's store that reads every photo afresh at every call, as from files of its own:
// each answer a full-size picture that only the gallery holds. It notes how many of its
// earlier answers are still held whenever it is asked.
struct ReadsAfresh : vistrel::PersistanceController {
    ReadsAfresh(std::shared_ptr<vistrel::CoreDataLayer> layer, const platform::graphics::Image& photo)
        : PersistanceController(std::move(layer)), photo(photo.bitmap()) {}
    const platform::graphics::Bitmap photo;
    std::vector<std::weak_ptr<const platform::graphics::Image::GreyValues>> answers;  // live while a copy lives
    int asked = 0;
    std::size_t mostHeld = 0;
    std::size_t held() const {
        return std::size_t(
            std::count_if(answers.begin(), answers.end(), [](const auto& answer) { return !answer.expired(); }));
    }
    std::optional<platform::graphics::Image> getPicture(std::string_view) override {
        ++asked;
        mostHeld = std::max(mostHeld, held());
        auto answer = platform::graphics::Image::make(platform::graphics::Bitmap(photo));
        if (answer) answers.push_back(answer->greyValues());
        return answer;
    }
};

// A host's store that answers, for each record, the photo it keeps under another key
// (its own later version), read through the kit's getPicture.
struct AnswersAnotherKey : vistrel::PersistanceController {
    using PersistanceController::PersistanceController;
    std::optional<platform::graphics::Image> getPicture(std::string_view key) override {
        return PersistanceController::getPicture(std::string(key).append("-v2"));
    }
};

// A host's store that keeps its photos itself and throws for one record.
struct ThrowsForOne : HostStore {
    using HostStore::HostStore;
    std::optional<platform::graphics::Image> getPicture(std::string_view key) override {
        if (key == "photo29") throw std::runtime_error("the host's photo server\ndid not answer");
        return HostStore::getPicture(key);
    }
};

// A picture of one colour.
platform::graphics::Image plainPicture(int width, int height, platform::graphics::Color colour) {
    auto bitmap = *platform::graphics::Bitmap::make(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) bitmap.setPixel(x, y, colour);
    return *platform::graphics::Image::make(std::move(bitmap));
}

// How many of the page's cards on screen show a picture of that colour in their middle.
std::string cardsOfColour(vistrel::GalleryContentViewController& page, platform::graphics::Color colour,
                          const std::string& what) {
    int cards = 0, matching = 0;
    for (const auto& cell : page.collectionView()->visibleCells())
        if (auto card = std::dynamic_pointer_cast<vistrel::ImageCollectionViewCell>(cell)) {
            ++cards;
            auto view = card->imageView.lock();
            const auto shown = view ? view->image() : std::nullopt;
            const auto middle = [](const platform::graphics::Image& picture) {
                return picture.bitmap().pixel(picture.pixelWidth() / 2, picture.pixelHeight() / 2);
            };
            matching += shown && middle(*shown).isClose(colour, 0.05) ? 1 : 0;
        }
    return std::to_string(matching) + " of the last screen's " + std::to_string(cards) + " cards show " + what;
}

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
    // A host reading its photos afresh: each full-size answer is let go once its card's
    // picture is made.
    auto afresh = std::make_shared<ReadsAfresh>(records.store->layer, photo);
    showGallery(afresh,
                "the same records in a host's store that reads every photo afresh, as from files of its own (each "
                "answer a full-size picture only the gallery holds)",
                out / "hostile-gallery-host-afresh.png", true);
    std::cout << "   its getPicture asked " << afresh->asked << " times; at most " << afresh->mostHeld
              << " of its earlier answers still held when it was asked, " << afresh->held()
              << " once the gallery closed\n";
    // A host answering its own later version of each photo, kept under another key.
    const auto green = plainPicture(1200, 900, platform::graphics::Color::rgba(0.1, 0.7, 0.3, 1));
    {
        platform::LogCapture quiet;  // the store prints each file it writes
        for (int i = 0; i < kRecords; ++i) records.store->savePicture(green, "photo" + std::to_string(i) + "-v2");
    }
    showGallery(std::make_shared<AnswersAnotherKey>(records.store->layer),
                "the same records in a host's store that answers the photo it keeps under \"<key>-v2\" (green, 1200 x "
                "900), read through the kit's getPicture",
                out / "hostile-gallery-host-other-key.png", true, [&](vistrel::GalleryContentViewController& page) {
                    return cardsOfColour(page, green.bitmap().pixel(0, 0), "the green \"-v2\" photo");
                });
    // A host whose getPicture throws for the newest record: its card keeps its placeholder,
    // a tap on it sends nothing, and the kit's log says what the store did.
    auto throwing = std::make_shared<ThrowsForOne>(records.store->layer);
    for (int i = 0; i < kRecords; ++i) throwing->photos.insert_or_assign("photo" + std::to_string(i), photo);
    showGallery(throwing, "the same records in a host's store whose getPicture throws for the newest record",
                out / "hostile-gallery-host-throws.png", false, [](vistrel::GalleryContentViewController& page) {
                    page.collectionView()->setContentOffset({0, 0});
                    page.collectionView()->layoutIfNeeded();
                    waitForPictures(page);
                    auto recorder = std::make_shared<TapRecorder>();
                    const auto gallery = page.contentDelegate;
                    page.contentDelegate = recorder;
                    page.didSelectItemAt(*page.collectionView(), {0, 0});
                    RunLoop::runUntilIdle();
                    page.contentDelegate = gallery;
                    return std::string("back at the top, the newest card tapped: ") +
                           (recorder->width > 0 ? "a photo handed on" : "nothing handed on");
                });
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
