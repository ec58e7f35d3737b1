// A gallery of 30 history records. First, records whose photos are 12-megapixel JPEG
// files (4032 x 3024, written by the kit's encoder, made once here): the main-thread
// time of one reload (the fetch and the cards in view, whose photos the pages keep once
// decoded), and of a reload followed by a scroll through every card, beside decoding the
// same 30 files at card size with libturbojpeg's scaled decode, and the full-size decode
// that a card does not need. Counters: the cards on screen and the peak resident memory.
//
// Then the gallery opened afresh and scrolled through to its end, a screen at a time,
// waiting on each screen until its cards have their pictures, over 30 records whose
// photo files are all of one kind: the kit's own JPEGs as above, PNGs of 8192 x 8192
// (a few hundred kilobytes each), progressive JPEGs of 8000 x 8000, or files of 250 MB
// (sparse) whose picture never ends: a 64 x 64 PNG whose end chunk claims 2 GB, or the
// kit's 12-megapixel JPEG without its end marker. Counters: the main thread's processor
// time, its longest turn (real and processor time), the peak resident memory, and the
// cards shown with a picture. The same over a subclass of the kit's store that overrides
// only savePicture (a host's own saving, the kit's reading), with the main thread's
// processor time until the first screen has its pictures.
//
// Last, a host's store that keeps its photos itself: in memory (every one the same
// 12-megapixel picture), or read afresh at every call as from files of its own, over 300
// records of 12 megapixels (the gallery opened, scrolled down a screen at a time to its
// end and back up) and over 30 of 64 megapixels (opened and scrolled down), waiting on
// each screen for its pictures, then closed. Counters: the main thread's processor time
// (all, and the first screen's), its longest turn, the calls of the store's getPicture,
// the peak resident memory, and what is still held once the gallery has closed.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <turbojpeg.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "hostile_pictures.hpp"
#include "main_thread_turns.hpp"
#include "peak_memory.hpp"
#include "photo_history.hpp"
#include "png_rows.hpp"
#include "progressive_jpeg.hpp"
#include "scroll_offsets.hpp"
#include "vistrel/core/sdk_configuration.hpp"
#include "vistrel/platform/dispatch/clock.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/graphics/jpeg_encoding.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/screen.hpp"
#include "vistrel/platform/ui/window.hpp"
#include "vistrel/screens/gallery/gallery_view_controller.hpp"
#include "vistrel/screens/gallery/image_collection_view_cell.hpp"
#include "vistrel/store/persistance_controller.hpp"

namespace {

constexpr int kCards = 30;
constexpr int kPhotoWidth = 4032;
constexpr int kPhotoHeight = 3024;
// A card's photo: 172.5 x 188 points at scale 2.
constexpr int kCardPixelWidth = 345;
constexpr int kCardPixelHeight = 376;

using testsupport::peakMiB;
using testsupport::resetPeak;

// A photo with detail everywhere (gradients and a fine pattern), as a camera gives.
std::string twelveMegapixelJpeg() {
    auto bitmap = platform::graphics::Bitmap::make(kPhotoWidth, kPhotoHeight);
    std::uint32_t* pixels = bitmap->data();
    for (int y = 0; y < kPhotoHeight; ++y)
        for (int x = 0; x < kPhotoWidth; ++x) {
            const auto r = static_cast<std::uint8_t>(x * 255 / kPhotoWidth);
            const auto g = static_cast<std::uint8_t>(y * 255 / kPhotoHeight);
            const auto b = static_cast<std::uint8_t>(((x / 7) ^ (y / 5)) * 13);
            pixels[std::size_t(y) * kPhotoWidth + x] = platform::graphics::premultipliedPixel(r, g, b, 255);
        }
    return *platform::graphics::encodeJpeg(*platform::graphics::Image::make(std::move(*bitmap)), 0.9);
}

// Whether cards of the page still wait for pictures being decoded.
bool picturesPending(const vistrel::GalleryContentViewController& page) {
    return page.pictureLoader && page.pictureLoader->loading() > 0;
}

// Runs the main loop until no card of the gallery's pages waits for its picture, marking
// its turns.
void waitForPictures(const vistrel::GalleryViewController& gallery, bench::Turns* turns = nullptr) {
    platform::dispatch::RunLoop::runUntil(
        [&] {
            if (turns) turns->mark();
            return std::none_of(gallery.contentControllers.begin(), gallery.contentControllers.end(),
                                [](const auto& page) { return picturesPending(*page); });
        },
        std::chrono::minutes(2));
    if (turns) turns->mark();
}

// The configuration of a history that lists every record.
std::shared_ptr<const vistrel::SdkConfiguration> everyRecord() {
    platform::Dictionary configuration;
    configuration.set("GALLERY_NUMBER_ITEMS", "0");
    return std::make_shared<vistrel::SdkConfiguration>(std::move(configuration));
}

// A host's subclass that writes its photos its own way (here, as the kit does) and reads
// them as the kit does.
struct SavesItsWay : vistrel::PersistanceController {
    using PersistanceController::PersistanceController;
    bool savePicture(const platform::graphics::Image& picture, std::string_view key) override {
        return PersistanceController::savePicture(picture, key);
    }
};

enum class Store { kits, subclass };

struct Gallery {
    testsupport::PhotoHistory records;
    std::shared_ptr<vistrel::PersistanceController> store;
    platform::dispatch::ScopedManualClock clock;
    std::shared_ptr<platform::ui::Window> window = std::make_shared<platform::ui::Window>();
    std::shared_ptr<platform::ui::NavigationController> navigation =
        std::make_shared<platform::ui::NavigationController>(std::make_shared<platform::ui::ViewController>());
    std::shared_ptr<vistrel::GalleryViewController> gallery;

    // Thirty records whose photo files hold `photo`, followed by zeros up to `fileLength`
    // when it is longer.
    explicit Gallery(const std::string& photo, Store kind = Store::kits, std::uintmax_t fileLength = 0)
        : records(kCards, *platform::graphics::Image::make(*platform::graphics::Bitmap::make(4, 3))),
          store(kind == Store::kits ? records.store : std::make_shared<SavesItsWay>(records.store->layer, everyRecord())) {
        records.replaceFiles(photo);
        if (fileLength > photo.size())
            for (const auto& file : records.files) std::filesystem::resize_file(file, fileLength);
        window->setRootViewController(navigation);
        window->makeKeyAndVisible();
    }
    ~Gallery() { close(); }
    // A gallery of its own, on the recents tab.
    std::shared_ptr<vistrel::GalleryViewController> open() {
        auto opened = vistrel::GalleryViewController::instance();
        opened->persistanceController = store;
        opened->option = vistrel::LibraryOption::recents;
        navigation->pushViewController(opened, false);
        settle();
        return opened;
    }
    void close() {
        navigation->popViewController(false);
        settle();
    }
    void settle() {
        clock->advance(std::chrono::seconds(1));
        platform::dispatch::RunLoop::runUntilIdle();
    }
    const std::shared_ptr<platform::ui::CollectionView>& recents() const {
        return gallery->contentControllers.front()->collectionView();
    }
};

// The reloads' gallery, open over the 12-megapixel photos.
Gallery& gallery() {
    static Gallery& made = []() -> Gallery& {
        static Gallery opened(twelveMegapixelJpeg());
        opened.gallery = opened.open();
        waitForPictures(*opened.gallery);  // the reloads find the first screen's photos kept
        return opened;
    }();
    return made;
}

void BM_GalleryReload(benchmark::State& state) {
    auto& g = gallery();
    g.recents()->setContentOffset({0, 0});
    resetPeak();
    for (auto _ : state) {
        g.gallery->reloadData();
        benchmark::DoNotOptimize(g.recents()->visibleCells().size());
    }
    state.counters["cards"] = double(g.recents()->visibleCells().size());
    state.counters["peak_MiB"] = peakMiB();
}
BENCHMARK(BM_GalleryReload)->Unit(benchmark::kMillisecond)->UseRealTime();

// A reload, then the list scrolled down a screen at a time to its end: every card
// shows once and asks for its photo (decoded off the main thread, as the reference
// below decodes them, unless kept from before); the main loop runs after each screen,
// as it does between touches, and the run ends when every photo asked for has come.
void BM_GalleryReloadAndScrollThroughAll(benchmark::State& state) {
    auto& g = gallery();
    auto grid = g.recents();
    long shown = 0;
    resetPeak();
    for (auto _ : state) {
        grid->setContentOffset({0, 0});
        g.gallery->reloadData();
        shown = long(grid->visibleCells().size());
        const double end = grid->maximumContentOffset().y;
        for (double y = grid->bounds().height(); y < end + grid->bounds().height(); y += grid->bounds().height()) {
            grid->setContentOffset({0, std::min(y, end)});
            shown += long(grid->visibleCells().size());
            platform::dispatch::RunLoop::runUntilIdle();
        }
        waitForPictures(*g.gallery);
    }
    state.counters["cards_on_screens"] = double(shown);
    state.counters["peak_MiB"] = peakMiB();
}
BENCHMARK(BM_GalleryReloadAndScrollThroughAll)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

// libturbojpeg directly: each of the 30 files read and decoded at the smallest scale
// that covers a card.
void BM_ScaledDecodeOf30Files(benchmark::State& state) {
    auto& g = gallery();
    tjhandle handle = tjInitDecompress();
    int count = 0;
    const tjscalingfactor* factors = tjGetScalingFactors(&count);
    resetPeak();
    for (auto _ : state) {
        for (const auto& file : g.records.files) {
            std::ifstream in(file, std::ios::binary);
            const std::string jpeg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            auto* data = reinterpret_cast<const unsigned char*>(jpeg.data());
            int width = 0, height = 0, subsampling = 0, colorspace = 0;
            tjDecompressHeader3(handle, data, jpeg.size(), &width, &height, &subsampling, &colorspace);
            int scaledWidth = width, scaledHeight = height;
            for (int i = 0; i < count; ++i) {
                const int w = TJSCALED(width, factors[i]), h = TJSCALED(height, factors[i]);
                if (w >= kCardPixelWidth && h >= kCardPixelHeight && w * h < scaledWidth * scaledHeight)
                    scaledWidth = w, scaledHeight = h;
            }
            std::vector<unsigned char> pixels(std::size_t(scaledWidth) * scaledHeight * 4);
            tjDecompress2(handle, data, jpeg.size(), pixels.data(), scaledWidth, scaledWidth * 4, scaledHeight,
                          TJPF_BGRA, 0);
            benchmark::DoNotOptimize(pixels.data());
        }
    }
    state.counters["peak_MiB"] = peakMiB();
    tjDestroy(handle);
}
BENCHMARK(BM_ScaledDecodeOf30Files)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

// What a card would cost with the whole photo: the 30 files decoded at full size.
void BM_FullDecodeOf30Files(benchmark::State& state) {
    auto& g = gallery();
    resetPeak();
    for (auto _ : state)
        for (const auto& file : g.records.files) benchmark::DoNotOptimize(platform::graphics::Image::fromFile(file));
    state.counters["peak_MiB"] = peakMiB();
}
BENCHMARK(BM_FullDecodeOf30Files)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

enum class PhotoFiles { kitJpegs, hugePngs, progressiveJpegs, endlessPngs, endlessJpegs };

std::string photoOf(PhotoFiles kind) {
    switch (kind) {
    case PhotoFiles::kitJpegs: return twelveMegapixelJpeg();
    case PhotoFiles::hugePngs: return imagetest::twoColourPng(8192, 8192, {30, 60, 90, 255}, {200, 100, 50, 255});
    case PhotoFiles::progressiveJpegs: return imagetest::progressiveJpeg(8000, 8000);
    case PhotoFiles::endlessPngs:
        return imagetest::pngWhoseEndClaims(imagetest::twoColourPng(64, 64, {30, 60, 90, 255}, {200, 100, 50, 255}),
                                            0x7FFFFFFF);
    case PhotoFiles::endlessJpegs: return imagetest::jpegWithoutItsEnd(twelveMegapixelJpeg());
    }
    return {};
}

// The files of a kind: the picture alone, or padded to 250 MB when it never ends.
std::uintmax_t fileLengthOf(PhotoFiles kind) {
    return kind == PhotoFiles::endlessPngs || kind == PhotoFiles::endlessJpegs ? 250'000'000 : 0;
}

// The gallery opened afresh (no picture decoded yet), then scrolled down a screen at a
// time to its end; on each screen the main loop runs until no card waits for its picture.
void BM_ThirtyCardsOpenedAndScrolled(benchmark::State& state, PhotoFiles kind, Store store) {
    const std::string photo = photoOf(kind);
    Gallery shown(photo, store, fileLengthOf(kind));
    double peak = 0, mainCpuMs = 0, firstScreenCpuMs = 0, longestMs = 0, longestCpuMs = 0;
    long withPicture = 0, cards = 0;
    for (auto _ : state) {
        testsupport::resetPeak();
        const double cpuBefore = bench::threadCpuMs();
        bench::Turns turns;
        auto opened = shown.open();
        turns.mark();
        auto grid = opened->contentControllers.front()->collectionView();
        waitForPictures(*opened, &turns);
        firstScreenCpuMs = std::max(firstScreenCpuMs, bench::threadCpuMs() - cpuBefore);
        const double end = grid->maximumContentOffset().y;
        for (double y = grid->bounds().height(); y < end + grid->bounds().height(); y += grid->bounds().height()) {
            grid->setContentOffset({0, std::min(y, end)});
            grid->layoutIfNeeded();
            turns.mark();
            waitForPictures(*opened, &turns);
        }
        withPicture = cards = 0;
        for (const auto& cell : grid->visibleCells()) {
            auto card = std::dynamic_pointer_cast<vistrel::ImageCollectionViewCell>(cell);
            if (!card) continue;
            ++cards;
            auto picture = card->imageView.lock();
            withPicture += picture && picture->image() ? 1 : 0;
        }
        shown.close();
        turns.mark();
        mainCpuMs = std::max(mainCpuMs, bench::threadCpuMs() - cpuBefore);
        longestMs = std::max(longestMs, turns.longestMs);
        longestCpuMs = std::max(longestCpuMs, turns.longestCpuMs);
        peak = std::max(peak, testsupport::peakMiB());
    }
    // The worst of the runs.
    state.counters["main_thread_cpu_ms"] = mainCpuMs;
    state.counters["first_screen_cpu_ms"] = firstScreenCpuMs;
    state.counters["longest_turn_ms"] = longestMs;
    state.counters["longest_turn_cpu_ms"] = longestCpuMs;
    state.counters["peak_MiB"] = peak;
    state.counters["last_screen_cards"] = double(cards);
    state.counters["last_screen_pictures"] = double(withPicture);
    state.counters["file_KiB"] = double(photo.size()) / 1024;
}
BENCHMARK_CAPTURE(BM_ThirtyCardsOpenedAndScrolled, kit_jpegs_4032x3024, PhotoFiles::kitJpegs, Store::kits)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK_CAPTURE(BM_ThirtyCardsOpenedAndScrolled, pngs_8192x8192, PhotoFiles::hugePngs, Store::kits)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK_CAPTURE(BM_ThirtyCardsOpenedAndScrolled, progressive_jpegs_8000x8000, PhotoFiles::progressiveJpegs,
                  Store::kits)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK_CAPTURE(BM_ThirtyCardsOpenedAndScrolled, png_64x64_end_claims_2GB_in_250MB, PhotoFiles::endlessPngs, Store::kits)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK_CAPTURE(BM_ThirtyCardsOpenedAndScrolled, kit_jpeg_without_end_in_250MB, PhotoFiles::endlessJpegs, Store::kits)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK_CAPTURE(BM_ThirtyCardsOpenedAndScrolled, subclass_kit_jpegs_4032x3024, PhotoFiles::kitJpegs, Store::subclass)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK_CAPTURE(BM_ThirtyCardsOpenedAndScrolled, subclass_pngs_8192x8192, PhotoFiles::hugePngs, Store::subclass)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// A host's store keeping its photos itself. In memory: every record's photo a copy of
// one picture, sharing its pixels, so an answer costs nothing the store does not hold
// already. Or read afresh at every call, as a host that keeps its photos in files of its
// own does: every answer a full-size picture of its own, which only the gallery holds.
enum class HostPhotos { inMemory, readAfresh };

struct HostStore : vistrel::PersistanceController {
    HostStore(std::shared_ptr<vistrel::CoreDataLayer> layer, HostPhotos kind)
        : PersistanceController(std::move(layer), everyRecord()), kind(kind) {}
    const HostPhotos kind;
    std::map<std::string, platform::graphics::Image, std::less<>> photos;
    long asked = 0;
    bool savePicture(const platform::graphics::Image& picture, std::string_view key) override {
        photos.insert_or_assign(std::string(key), picture);
        return true;
    }
    std::optional<platform::graphics::Image> getPicture(std::string_view key) override {
        ++asked;
        const auto found = photos.find(key);
        if (found == photos.end()) return std::nullopt;
        if (kind == HostPhotos::inMemory) return found->second;
        return platform::graphics::Image::make(platform::graphics::Bitmap(found->second.bitmap()));
    }
};

// A photo with detail everywhere at any size, as twelveMegapixelJpeg draws it.
platform::graphics::Image detailedPicture(int width, int height) {
    auto bitmap = platform::graphics::Bitmap::make(width, height);
    std::uint32_t* pixels = bitmap->data();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] = platform::graphics::premultipliedPixel(
                static_cast<std::uint8_t>(x * 255 / width), static_cast<std::uint8_t>(y * 255 / height),
                static_cast<std::uint8_t>(((x / 7) ^ (y / 5)) * 13), 255);
    return *platform::graphics::Image::make(std::move(*bitmap));
}

// The gallery over a host's store of `records` records whose photos are `width` x
// `height`, opened, scrolled down a screen at a time to its end (and back up when asked),
// waiting on each screen for its pictures, then closed. Counters: the main thread's
// processor time (all, and the first screen's), its longest turn, the calls of the
// store's getPicture, the peak resident memory, and what the process holds once the
// gallery has closed, beside what the store's photos alone take.
void BM_HostStoreOpenedAndScrolled(benchmark::State& state, HostPhotos kind, int records, int width, int height,
                                   bool andBack) {
    testsupport::PhotoHistory folder(0, *platform::graphics::Image::make(*platform::graphics::Bitmap::make(4, 3)));
    auto host = std::make_shared<HostStore>(folder.store->layer, kind);
    const auto photo = detailedPicture(width, height);
    {
        platform::LogCapture quiet;
        for (int i = 0; i < records; ++i)
            host->loadOrCreateVistrelImage("doc" + std::to_string(i), "photo" + std::to_string(i), "Page", photo,
                                           vistrel::Date(std::chrono::seconds(1'700'000'000 + i)));
    }
    platform::dispatch::ScopedManualClock clock;
    auto window = std::make_shared<platform::ui::Window>();
    auto navigation =
        std::make_shared<platform::ui::NavigationController>(std::make_shared<platform::ui::ViewController>());
    window->setRootViewController(navigation);
    window->makeKeyAndVisible();
    const auto settle = [&] {
        clock->advance(std::chrono::seconds(1));
        platform::dispatch::RunLoop::runUntilIdle();
    };
    const double photosMiB = double(width) * height * 4 / (1 << 20);
    double peak = 0, heldAfter = 0, mainCpuMs = 0, firstScreenCpuMs = 0, longestMs = 0, longestCpuMs = 0;
    long asked = 0;
    for (auto _ : state) {
        testsupport::resetPeak();
        const double base = testsupport::peakMiB();
        host->asked = 0;
        const double cpuBefore = bench::threadCpuMs();
        bench::Turns turns;
        std::weak_ptr<vistrel::GalleryViewController> closed;
        {
            auto opened = vistrel::GalleryViewController::instance();
            closed = opened;
            opened->persistanceController = host;
            opened->option = vistrel::LibraryOption::recents;
            navigation->pushViewController(opened, false);
            settle();
            turns.mark();
            auto grid = opened->contentControllers.front()->collectionView();
            waitForPictures(*opened, &turns);
            firstScreenCpuMs = std::max(firstScreenCpuMs, bench::threadCpuMs() - cpuBefore);
            for (double y : testsupport::screensDown(*grid, andBack)) {
                grid->setContentOffset({0, y});
                grid->layoutIfNeeded();
                turns.mark();
                waitForPictures(*opened, &turns);
            }
            navigation->popViewController(false);
            settle();
            turns.mark();
        }
        platform::dispatch::RunLoop::runUntil([&] { return closed.expired(); }, std::chrono::minutes(2));
        mainCpuMs = std::max(mainCpuMs, bench::threadCpuMs() - cpuBefore);
        longestMs = std::max(longestMs, turns.longestMs);
        longestCpuMs = std::max(longestCpuMs, turns.longestCpuMs);
        peak = std::max(peak, testsupport::peakMiB());
        testsupport::resetPeak();
        heldAfter = std::max(heldAfter, testsupport::peakMiB() - base);
        asked = std::max(asked, host->asked);
    }
    state.counters["main_thread_cpu_ms"] = mainCpuMs;
    state.counters["first_screen_cpu_ms"] = firstScreenCpuMs;
    state.counters["longest_turn_ms"] = longestMs;
    state.counters["longest_turn_cpu_ms"] = longestCpuMs;
    state.counters["getPicture_calls"] = double(asked);
    state.counters["peak_MiB"] = peak;
    state.counters["held_after_close_MiB"] = heldAfter;
    state.counters["photo_MiB"] = photosMiB;
}
BENCHMARK_CAPTURE(BM_HostStoreOpenedAndScrolled, in_memory_300_records_12MP_down_and_back, HostPhotos::inMemory, 300,
                  kPhotoWidth, kPhotoHeight, true)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK_CAPTURE(BM_HostStoreOpenedAndScrolled, read_afresh_300_records_12MP_down_and_back, HostPhotos::readAfresh,
                  300, kPhotoWidth, kPhotoHeight, true)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK_CAPTURE(BM_HostStoreOpenedAndScrolled, read_afresh_30_records_64MP, HostPhotos::readAfresh, kCards, 8192,
                  8192, false)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
