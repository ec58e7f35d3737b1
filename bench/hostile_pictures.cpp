// One decode of each hostile picture, as the kit's rows, cards and opened records decode
// pictures (the display decoders), with the peak resident memory of the decode:
// - a 2048 x 2048 progressive JPEG followed by 100,000 scans of a few bytes (1.8 MB),
//   for a row's icon;
// - a GIF whose 512 x 512 frame starts with 16 MB of LZW clear codes, for a card;
// - a card's photo file that holds a 12-megapixel JPEG followed by zeros up to 250 MB
//   (sparse on disk), with its end marker and without;
// - a card's photo file that holds a progressive 4032 x 3024 JPEG followed by 100,000
//   scans of a few bytes, and one of such a JPEG alone;
// - a JPEG behind 200 MiB of APP1 segments that hold no Exif block, for a card;
// - a card's photo file that holds a 4000 x 2000 PNG whose pixels' data (1.6 MB) comes in
//   1.6 million chunks of one byte (21.4 MB);
// - photo files of a PNG header followed by chunks of no data up to 256 MiB, read whole
//   (Image::fromFile) under a header of 4000 x 2000, interlaced or not, or of 8000 x 8000,
//   and for a card under an interlaced header of 2048 x 2048 or of 8000 x 8000; and such
//   bytes under a header of 8000 x 8000 decoded whole from memory (Image::decode);
// - a photo file of an interlaced 4000 x 2000 PNG whose pixels' data comes in 3.3 million
//   chunks of one byte, read whole;
// - a PNG of 8000 x 8000 read under a bound of 16 M pixels, as an opened record's photo
//   (the picture comes back at 4096 x 4096);
// - progressive 4:2:0 JPEGs of 2880 x 1800 and 4032 x 3024, as a service sends them for
//   a row's background or icon;
// - a photo file of a GIF of two 2048 x 2048 frames, each with the most LZW clear codes a
//   frame may hold (one every two pixels, as encoders that do not compress write), read
//   through the store's getPicture and at a card's size, beside a GIF of the same frames
//   as giflib's encoder writes it;
// - a 64 x 64 PNG behind 999 compressed text chunks of 8 KB, each inflating to 7.9 MB
//   (7.6 MB), for a row's icon.
// Counter: whether a picture came (shown).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "hostile_pictures.hpp"
#include "peak_memory.hpp"
#include "photo_history.hpp"
#include "platform/graphics/image_fixtures.hpp"
#include "png_rows.hpp"
#include "vistrel/platform/graphics/display_decoding.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/graphics/image_decoding.hpp"
#include "vistrel/platform/graphics/jpeg_encoding.hpp"

namespace {

using platform::graphics::DisplayDecodingLimits;

constexpr int kIcon = 96;                           // a row's icon, in pixels
constexpr int kCardWidth = 345, kCardHeight = 376;  // a gallery card's photo, in pixels

// How a picture is read: a file whole (Image::fromFile) or for a card, or its bytes whole
// from memory (Image::decode).
enum class ReadAs { whole, forACard, wholeFromMemory };

void report(benchmark::State& state, bool shown, std::size_t bytes) {
    state.counters["shown"] = shown ? 1 : 0;
    state.counters["peak_MiB"] = testsupport::peakMiB();
    state.counters["file_MB"] = double(bytes) / 1e6;
}

// One decode of the bytes at the size asked for, under the limits.
void decodeOnce(benchmark::State& state, const std::string& bytes, int width, int height,
                const DisplayDecodingLimits& limits = {}) {
    bool shown = false;
    testsupport::resetPeak();
    for (auto _ : state) shown = platform::graphics::readStillForDisplay(bytes, width, height, limits).has_value();
    report(state, shown, bytes.size());
}

void BM_CompressedTextsPngForAnIcon(benchmark::State& state) {
    static const std::string png = imagetest::pngWithCompressedTexts(
        imagetest::twoColourPng(64, 64, {255, 0, 0, 255}, {0, 0, 255, 128}), 999, 7'900'000);
    decodeOnce(state, png, kIcon, kIcon);
}
BENCHMARK(BM_CompressedTextsPngForAnIcon)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_ManyScansJpegForAnIcon(benchmark::State& state) {
    static const std::string jpeg = imagetest::jpegWithManyScans(2048, 2048, 100000);
    decodeOnce(state, jpeg, kIcon, kIcon);
}
BENCHMARK(BM_ManyScansJpegForAnIcon)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_EndlessClearCodesGifForACard(benchmark::State& state) {
    static const std::string gif = imagetest::gifWithClearCodes(512, 512, 16 << 20);
    decodeOnce(state, gif, kCardWidth, kCardHeight);
}
BENCHMARK(BM_EndlessClearCodesGifForACard)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// A temporary file of the bytes, followed by zeros up to `length` (sparse on disk); empty
// when it could not be written.
std::string temporaryFile(const std::string& bytes, std::size_t length) {
    std::string pattern = (std::filesystem::temp_directory_path() / "vistrel-padded-XXXXXX").string();
    const int fd = mkstemp(pattern.data());
    const bool written = fd >= 0 && write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size()) &&
                         ftruncate(fd, off_t(std::max(length, bytes.size()))) == 0;
    if (fd >= 0) close(fd);
    if (written) return pattern;
    if (fd >= 0) std::filesystem::remove(pattern);
    return {};
}

// A temporary file of `head` followed by as many copies of `repeated` as fit in `length`
// bytes, written a piece at a time; empty when it could not be written.
std::string temporaryFile(const std::string& head, const std::string& repeated, std::size_t length) {
    std::string piece;
    while (piece.size() + repeated.size() <= (1u << 20)) piece += repeated;
    const std::size_t copies = (length - head.size()) / repeated.size();
    std::string path = temporaryFile(head, 0);
    std::ofstream out(path, std::ios::binary | std::ios::app);
    const std::size_t perPiece = piece.size() / repeated.size();
    for (std::size_t written = 0; out && written < copies; written += perPiece)
        out.write(piece.data(), static_cast<std::streamsize>(std::min(perPiece, copies - written) * repeated.size()));
    if (!path.empty() && !out) {
        std::filesystem::remove(path);
        path.clear();
    }
    return path;
}

// A card's read of a photo file, `bytes` long on the page.
void photoFileForACard(benchmark::State& state, const std::string& path, std::size_t bytes) {
    if (path.empty()) state.SkipWithError("the photo file could not be written");
    bool shown = false;
    testsupport::resetPeak();
    for (auto _ : state) shown = platform::graphics::readStillFileForDisplay(path, kCardWidth, kCardHeight).has_value();
    report(state, shown, bytes);
    if (!path.empty()) std::filesystem::remove(path);
}

// A card's read of a photo file holding a 12-megapixel JPEG, with its end marker or
// without, followed by zeros up to 250 MB (sparse on disk).
void photoFileForACard(benchmark::State& state, bool withItsEnd) {
    auto bitmap = platform::graphics::Bitmap::make(4032, 3024);
    for (int y = 0; y < bitmap->height(); ++y)
        for (int x = 0; x < bitmap->width(); ++x)
            bitmap->data()[std::size_t(y) * bitmap->width() + x] = platform::graphics::premultipliedPixel(
                static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(x ^ y), 255);
    auto jpeg = platform::graphics::encodeJpeg(*platform::graphics::Image::make(std::move(*bitmap)), 1.0);
    if (!withItsEnd) jpeg = imagetest::jpegWithoutItsEnd(std::move(*jpeg));
    photoFileForACard(state, temporaryFile(*jpeg, 250'000'000), jpeg->size());
}

void BM_PaddedPhotoFileForACard(benchmark::State& state) { photoFileForACard(state, true); }
BENCHMARK(BM_PaddedPhotoFileForACard)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_PhotoFileWithoutItsEndForACard(benchmark::State& state) { photoFileForACard(state, false); }
BENCHMARK(BM_PhotoFileWithoutItsEndForACard)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Refused: its scans are counted before any is decoded.
void BM_ManyScansJpegFileForACard(benchmark::State& state) {
    const std::string jpeg = imagetest::jpegWithManyScans(4032, 3024, 100000);
    photoFileForACard(state, temporaryFile(jpeg, 0), jpeg.size());
}
BENCHMARK(BM_ManyScansJpegFileForACard)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Its scans counted before it is decoded: the file read twice (the second time from the
// system's cache).
void BM_ProgressivePhotoFileForACard(benchmark::State& state) {
    const std::string jpeg = imagetest::progressiveJpeg(4032, 3024);
    photoFileForACard(state, temporaryFile(jpeg, 0), jpeg.size());
}
BENCHMARK(BM_ProgressivePhotoFileForACard)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Read as it comes, its chunks' framing (19.8 MB) within an allowance of its own.
void BM_OneByteChunksPngFileForACard(benchmark::State& state) {
    const std::string png = imagetest::gradientsInOneByteChunks(4000, 2000);
    photoFileForACard(state, temporaryFile(png, 0), png.size());
}
BENCHMARK(BM_OneByteChunksPngFileForACard)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// A photo file of a PNG header followed by chunks of its pixels' data that hold none, up to
// the most a picture file may take (256 MiB), read as far as their framing's allowance:
// whole (Image::fromFile) under a header of 4000 x 2000, interlaced or not, or of 8000 x
// 8000 (as the camera's preview reads its still), for a card under an interlaced header of
// 2048 x 2048 (the most pixels a card reads whole) or of 8000 x 8000, and the same bytes
// decoded whole from memory (Image::decode, as the camera's still output decodes a still it
// has read) under a header of 8000 x 8000. Their framing, allowed a chunk for each byte of
// their data seen, takes of the metadata's allowance past that: the read stops within 16
// MiB of them whatever the header claims. Measured here, run with the one-byte chunks'
// benchmarks alone (peak_MiB is the process's, 17 MiB before the read, 273 MiB with the
// bytes held in memory): 87 to 99 ms for each file (up to 180 ms on a machine busy with
// builds). When their framing was allowed a chunk for each byte the header let their data
// take (12 times 36 MB under 4000 x 2000, past the file's cap), the files were walked to
// their end: 1.42, 2.31, 2.47, 1.42 and 1.33 s. Held whole while they were read, and their
// framing counted as metadata, 33 MiB in 60-85 ms. From memory, where the bytes are held
// already and no bound ever cut what the decoder walks, 1.34 s, as it always took.
void BM_EmptyPixelChunksPngFile(benchmark::State& state, int width, int height, bool interlaced, ReadAs as) {
    const std::string empty = imagetest::pngChunk("IDAT", {});
    const std::string path =
        temporaryFile(imagetest::pngHeader(width, height, interlaced), empty, platform::graphics::maxImageFileBytes);
    if (path.empty()) state.SkipWithError("the photo file could not be written");
    std::string bytes;
    if (as == ReadAs::wholeFromMemory && !path.empty()) {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool shown = false;
    testsupport::resetPeak();
    for (auto _ : state)
        shown = (as == ReadAs::forACard ? platform::graphics::readStillFileForDisplay(path, kCardWidth, kCardHeight)
                 : as == ReadAs::whole  ? platform::graphics::Image::fromFile(path)
                                        : platform::graphics::Image::decode(bytes))
                    .has_value();
    report(state, shown, platform::graphics::maxImageFileBytes);
    if (!path.empty()) std::filesystem::remove(path);
}
BENCHMARK_CAPTURE(BM_EmptyPixelChunksPngFile, interlaced_4000x2000_whole, 4000, 2000, true, ReadAs::whole)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_EmptyPixelChunksPngFile, 4000x2000_whole, 4000, 2000, false, ReadAs::whole)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_EmptyPixelChunksPngFile, 8000x8000_whole, 8000, 8000, false, ReadAs::whole)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_EmptyPixelChunksPngFile, interlaced_2048x2048_for_a_card, 2048, 2048, true, ReadAs::forACard)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_EmptyPixelChunksPngFile, 8000x8000_for_a_card, 8000, 8000, false, ReadAs::forACard)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_EmptyPixelChunksPngFile, 8000x8000_whole_from_memory, 8000, 8000, false, ReadAs::wholeFromMemory)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// A photo file of an interlaced 4000 x 2000 PNG whose pixels' data comes in 3.3 million
// chunks of one byte (42.3 MB, the benchmark's own copy of it held throughout), read whole
// (Image::fromFile): held whole while it was read, 130 MiB at the peak in 359 ms; decoded as
// the file is read, 90 MiB (the pixels take 30.5) in 414 ms.
void BM_OneByteChunksInterlacedPngFileWhole(benchmark::State& state) {
    const std::string png = imagetest::gradientsInOneByteChunks(4000, 2000, true);
    const std::string path = temporaryFile(png, 0);
    if (path.empty()) state.SkipWithError("the photo file could not be written");
    bool shown = false;
    testsupport::resetPeak();
    for (auto _ : state) shown = platform::graphics::Image::fromFile(path).has_value();
    report(state, shown, png.size());
    if (!path.empty()) std::filesystem::remove(path);
}
BENCHMARK(BM_OneByteChunksInterlacedPngFileWhole)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Shown upright, only its first Exif block kept: what the decode holds beside its bytes is
// its rows.
void BM_App1SegmentsJpegForACard(benchmark::State& state) {
    static const std::string photo = imagetest::encodeJpeg(imagetest::Picture(1000, 750, {40, 80, 120, 255}), 90);
    static const std::string jpeg = photo.substr(0, 2) + imagetest::jpegApp1Segments(3200, 65537) + photo.substr(2);
    decodeOnce(state, jpeg, kCardWidth, kCardHeight);
}
BENCHMARK(BM_App1SegmentsJpegForACard)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_PngOfOneAndAHalfTimesTheBound(benchmark::State& state) {
    static const std::string png = imagetest::twoColourPng(8000, 8000, {30, 60, 90, 255}, {200, 100, 50, 255});
    DisplayDecodingLimits limits;
    limits.maxPixels = limits.maxTotalPixels = limits.maxWholePixels = limits.maxWholeFramesPixels = 16LL << 20;
    decodeOnce(state, png, 0, 0, limits);
}
BENCHMARK(BM_PngOfOneAndAHalfTimesTheBound)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_ProgressiveJpeg2880x1800ForAnIcon(benchmark::State& state) {
    static const std::string jpeg = imagetest::progressiveJpeg(2880, 1800);
    decodeOnce(state, jpeg, kIcon, kIcon);
}
BENCHMARK(BM_ProgressiveJpeg2880x1800ForAnIcon)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1);

void BM_ProgressiveJpeg4032x3024ForAnIcon(benchmark::State& state) {
    static const std::string jpeg = imagetest::progressiveJpeg(4032, 3024);
    decodeOnce(state, jpeg, kIcon, kIcon);
}
BENCHMARK(BM_ProgressiveJpeg4032x3024ForAnIcon)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1);

// Two frames of 2048 x 2048 in four colours, the same picture in each.
enum class TwoFrameGif { plain, atTheClearCodeBound };

std::string twoFrameGif(TwoFrameGif kind) {
    constexpr int kSide = 2048;
    if (kind == TwoFrameGif::atTheClearCodeBound) return imagetest::gifAtTheClearCodeBound(kSide, kSide, 2);
    imagetest::GifFrame frame{0, 0, kSide, kSide, {}, 10};
    frame.indices.resize(std::size_t(kSide) * kSide);
    for (std::size_t i = 0; i < frame.indices.size(); ++i) frame.indices[i] = static_cast<std::uint8_t>(i % 7 % 4);
    return imagetest::encodeGif(kSide, kSide, {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}},
                                {frame, frame});
}

// The photo file of a record holds the GIF; it is read as an opened record's photo
// (getPicture, at its own size) or as a card's (at the card's size).
void BM_TwoFrameGif2048(benchmark::State& state, TwoFrameGif kind, bool card) {
    const std::string gif = twoFrameGif(kind);
    testsupport::PhotoHistory history(1, *platform::graphics::Image::make(*platform::graphics::Bitmap::make(4, 3)));
    history.replaceFiles(gif);
    bool shown = false;
    testsupport::resetPeak();
    for (auto _ : state)
        shown = (card ? history.store->getPictureCovering("photo0", kCardWidth, kCardHeight)
                      : history.store->getPicture("photo0"))
                    .has_value();
    report(state, shown, gif.size());
}
BENCHMARK_CAPTURE(BM_TwoFrameGif2048, plain_through_getPicture, TwoFrameGif::plain, false)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1);
BENCHMARK_CAPTURE(BM_TwoFrameGif2048, clear_code_bound_through_getPicture, TwoFrameGif::atTheClearCodeBound, false)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1);
BENCHMARK_CAPTURE(BM_TwoFrameGif2048, plain_for_a_card, TwoFrameGif::plain, true)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1);
BENCHMARK_CAPTURE(BM_TwoFrameGif2048, clear_code_bound_for_a_card, TwoFrameGif::atTheClearCodeBound, true)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1);

}  // namespace

BENCHMARK_MAIN();
