// The device's own work for one still photo (decode, upload preparation, QR search)
// beside the least any program must do for the same answer: one plain JPEG decode to
// grey and one QR read with the same decoder settings.
#include "vistrel/platform/vision/qr_decode_hints.hpp"  // first: it sets up zxing-cpp for UTF-8

#include <ZXing/ReadBarcode.h>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <turbojpeg.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <string>

#include "peak_memory.hpp"
#include "support/qr/qr_pictures.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/jpeg_encoding.hpp"
#include "vistrel/service/picture_scanner.hpp"
#include "vistrel/service/upload_photo.hpp"

namespace {

constexpr double kUploadSide = 1024;  // as the kit's configuration ships
constexpr double kUploadQuality = 0.8;
const std::string kPayload = "https://example.org/catalogue/page/17";

// A 12-megapixel phone photo of a page with one code, made once.
const std::string& photoJpeg() {
    static const std::string jpeg = [] {
        qrtest::Scene scene;
        scene.width = 4032;
        scene.height = 3024;
        scene.codes = {{kPayload, 0.7, 0.3, 0.16, 8}};
        scene.perspective = 0.1;
        scene.blur = 1;
        scene.noise = 4;
        scene.light = 0.85;
        std::string bytes = qrtest::sceneJpeg(scene, 92);
        malloc_trim(0);
        return bytes;
    }();
    return jpeg;
}

using testsupport::peakMiB;
using testsupport::resetPeak;

// As a scan does it: the photo decoded once; the QR search on a global queue while the
// upload is prepared and encoded on this thread; done when the search has called back.
bool sdkStill(const std::string& jpeg) {
    auto photo = platform::graphics::Image::decode(jpeg);
    if (!photo) return false;
    std::atomic<bool> searched = false;
    bool found = false;
    vistrel::PictureScanner().searchBarCode(*photo, [&](std::optional<vistrel::Image> image, auto) {
        found = image.has_value();
        searched = true;
    });
    auto upload = vistrel::VistrelTools::resizeImage(*photo, kUploadSide, true);
    auto bytes = upload ? platform::graphics::encodeJpeg(*upload, kUploadQuality) : std::nullopt;
    platform::dispatch::RunLoop::runUntil([&] { return searched.load(); }, std::chrono::seconds(30));
    return bytes && found;
}

void BM_SdkStill(benchmark::State& state) {
    const std::string& jpeg = photoJpeg();
    platform::setLogSink(platform::discardLine);
    resetPeak();
    for (auto _ : state) {
        if (!sdkStill(jpeg)) state.SkipWithError("no upload, or the code was not found");
    }
    state.counters["peak_MiB"] = peakMiB();
}
BENCHMARK(BM_SdkStill)->Unit(benchmark::kMillisecond)->UseRealTime();

// A plain full-size decode, to one grey byte per pixel (the least work that reads the
// codes; the argument 1) or to colour as a program that keeps the photo would (0), then
// one read of it.
void BM_ReferenceDecodeAndRead(benchmark::State& state) {
    const std::string& jpeg = photoJpeg();
    const bool grey = state.range(0) != 0;
    const ZXing::DecodeHints hints = platform::vision::thoroughHints();
    tjhandle handle = tjInitDecompress();
    resetPeak();
    for (auto _ : state) {
        int width = 0, height = 0, subsampling = 0, colorspace = 0;
        auto* data = reinterpret_cast<const unsigned char*>(jpeg.data());
        tjDecompressHeader3(handle, data, jpeg.size(), &width, &height, &subsampling, &colorspace);
        const int channels = grey ? 1 : 4;
        std::vector<unsigned char> pixels(std::size_t(width) * height * channels);
        tjDecompress2(handle, data, jpeg.size(), pixels.data(), width, width * channels, height,
                      grey ? TJPF_GRAY : TJPF_BGRX, 0);
        ZXing::ImageView view(pixels.data(), width, height, grey ? ZXing::ImageFormat::Lum : ZXing::ImageFormat::BGRX);
        if (ZXing::ReadBarcodes(view, hints).size() != 1) state.SkipWithError("the code was not found");
    }
    state.counters["peak_MiB"] = peakMiB();
    tjDestroy(handle);
}
BENCHMARK(BM_ReferenceDecodeAndRead)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
