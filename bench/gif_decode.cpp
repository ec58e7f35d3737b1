// Decoding a 100-frame 480 x 480 animated GIF into the kit's animated image, beside a
// plain giflib slurp and composition of the same file into frames of 32-bit pixels.
// Each also reports its peak memory over the frames' pixel bytes (peak_over_pixels).
#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <malloc.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/screens/common/glint_gif.hpp"

namespace {

constexpr int kSide = 480;
constexpr int kFrames = 100;
constexpr double kPixelBytes = double(kSide) * kSide * 4 * kFrames;

int appendBytes(GifFileType* gif, const GifByteType* bytes, int count) {
    static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), std::size_t(count));
    return count;
}

// A full first frame, then frames that each redraw a moving band of the picture (the
// way real animations are stored), with a 256-colour palette and delays of 40 to 70 ms.
std::string makeGif() {
    std::string out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendBytes, &error);
    GifColorType colors[256];
    for (int i = 0; i < 256; ++i)
        colors[i] = {GifByteType(i), GifByteType((i * 7) & 255), GifByteType(255 - i)};
    ColorMapObject* map = GifMakeMapObject(256, colors);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, kSide, kSide, 8, 0, map);
    std::vector<GifPixelType> row(kSide);
    for (int f = 0; f < kFrames; ++f) {
        const int top = f == 0 ? 0 : (f * 37) % (kSide - 160), height = f == 0 ? kSide : 160;
        GraphicsControlBlock control{DISPOSE_DO_NOT, false, 4 + f % 4, NO_TRANSPARENT_COLOR};
        GifByteType extension[4];
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(EGifGCBToExtension(&control, extension)), extension);
        EGifPutImageDesc(gif, 0, top, kSide, height, false, nullptr);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < kSide; ++x) row[x] = GifPixelType(((x + f * 3) / 8 + (top + y) / 8) & 255);
            EGifPutLine(gif, row.data(), kSide);
        }
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

const std::string& file() {
    static const std::string bytes = makeGif();
    return bytes;
}

int readFromString(GifFileType* gif, GifByteType* buffer, int count) {
    auto* source = static_cast<std::pair<const std::string*, std::size_t>*>(gif->UserData);
    const std::size_t n = std::min<std::size_t>(std::size_t(count), source->first->size() - source->second);
    std::memcpy(buffer, source->first->data() + source->second, n);
    source->second += n;
    return int(n);
}

// giflib's slurp, then each frame drawn on a canvas and copied out (disposal "leave").
std::vector<std::vector<std::uint32_t>> slurpAndCompose(const std::string& bytes) {
    std::pair<const std::string*, std::size_t> source{&bytes, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&source, readFromString, &error);
    DGifSlurp(gif);
    std::vector<std::uint32_t> canvas(std::size_t(gif->SWidth) * gif->SHeight, 0);
    std::vector<std::vector<std::uint32_t>> frames;
    frames.reserve(std::size_t(gif->ImageCount));
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        const GifImageDesc& d = image.ImageDesc;
        const ColorMapObject* colors = d.ColorMap ? d.ColorMap : gif->SColorMap;
        for (int y = 0; y < d.Height; ++y)
            for (int x = 0; x < d.Width; ++x) {
                const GifColorType& c = colors->Colors[image.RasterBits[std::size_t(y) * d.Width + x]];
                canvas[std::size_t(d.Top + y) * gif->SWidth + d.Left + x] =
                    0xFF000000u | std::uint32_t(c.Red) << 16 | std::uint32_t(c.Green) << 8 | c.Blue;
            }
        frames.push_back(canvas);
    }
    DGifCloseFile(gif, &error);
    return frames;
}

long statusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field)));
    return 0;
}

// The resident memory one run adds at its peak, in bytes: the high-water mark is reset
// first, and the heap gives large blocks back to the system when they are freed.
template <class Run>
double peakBytes(Run run) {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = statusKilobytes("VmRSS:");
    run();
    return double(statusKilobytes("VmHWM:") - before) * 1024;
}

void report(benchmark::State& state, double peak) {
    state.counters["peak_over_pixels"] = peak / kPixelBytes;
    state.counters["pixel_MB"] = kPixelBytes / 1e6;
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file().size()));
}

void BM_GlintGifDecode(benchmark::State& state) {
    const std::string& bytes = file();
    for (auto _ : state) {
        auto image = vistrel::GlintGif::gifWithData(bytes);
        if (!image || image->frames().size() != kFrames) state.SkipWithError("the GIF did not decode");
        benchmark::DoNotOptimize(image);
    }
    report(state, peakBytes([&] { benchmark::DoNotOptimize(vistrel::GlintGif::gifWithData(bytes)); }));
}

void BM_GiflibSlurpAndCompose(benchmark::State& state) {
    const std::string& bytes = file();
    for (auto _ : state) {
        auto frames = slurpAndCompose(bytes);
        benchmark::DoNotOptimize(frames);
    }
    report(state, peakBytes([&] { benchmark::DoNotOptimize(slurpAndCompose(bytes)); }));
}

struct Setup {
    Setup() {
        // Large blocks always come from (and go back to) the system, so that the peak
        // measured is the run's own.
        mallopt(M_MMAP_THRESHOLD, 128 * 1024);
        platform::setLogSink(platform::discardLine);
    }
} setup;

}  // namespace

BENCHMARK(BM_GiflibSlurpAndCompose)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GlintGifDecode)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
