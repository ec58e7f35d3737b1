// Hostile pictures through the display decoders and Image's whole reads: each is refused,
// or costs what the picture it holds needs (the bytes read, the memory held), not what its
// file or data makes of it: a file is read no further than its decode can use. And
// pictures a service really sends show.
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "hostile_pictures.hpp"
#include "image_fixtures.hpp"
#include "png_rows.hpp"
#include "progressive_jpeg.hpp"
#include "support/qr/qr_pictures.hpp"
#include "support/temp_dir.hpp"
#include "vistrel/platform/graphics/display_decoding.hpp"
#include "vistrel/platform/graphics/jpeg_encoding.hpp"
#include "vistrel/platform/graphics/picture_extent.hpp"

#if defined(__has_feature)
#define VISTREL_HAS_SANITIZER (__has_feature(address_sanitizer) || __has_feature(thread_sanitizer))
#else
#define VISTREL_HAS_SANITIZER 0
#endif

namespace {

using namespace platform::graphics;

// A field of the kernel's status of this process or thread, in its unit (KiB, bytes).
std::optional<long long> procField(const char* file, const std::string& field) {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(field, 0) == 0) return std::stoll(line.substr(field.size()));
    return std::nullopt;
}

// The peak resident memory starts again from what is resident now (when the kernel lets
// the process say so; else it stays higher, and a rise reads smaller).
void resetPeakResident() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The kit's own JPEG (colours sampled at half size across and down) of a photo of one
// colour.
std::string kitJpeg(int width, int height) {
    auto bitmap = Bitmap::make(width, height);
    if (!bitmap) return {};
    std::fill(bitmap->data(), bitmap->data() + std::size_t(width) * std::size_t(height),
              premultipliedPixel(40, 80, 120, 255));
    return encodeJpeg(*Image::make(std::move(*bitmap)), 0.9).value_or("");
}

// A photo's worth of noise as a PNG: its pixels' data takes about as much as its rows.
std::string noisyPng(int width, int height, bool interlaced = false) {
    std::uint32_t seed = 7;
    return imagetest::encodePngRows(
        width, height,
        [&](int, std::uint8_t* rgba) {
            for (int x = 0; x < width * 4; ++x) {
                seed = seed * 1664525u + 1013904223u;
                rgba[x] = x % 4 == 3 ? 255 : static_cast<std::uint8_t>(seed >> 24);
            }
        },
        interlaced);
}

// A photo of 64 x 48 turned a quarter by its Exif block, behind `count` APP1 segments of
// 64 KiB that are no Exif block and before as many more, then a second Exif block that
// would leave it as stored.
std::string photoAmongApp1Segments(int count) {
    const auto exifSegment = [](const std::string& jpeg) {
        return jpeg.substr(2, 2 + (std::size_t(std::uint8_t(jpeg[4])) << 8 | std::uint8_t(jpeg[5])));
    };
    const std::vector<std::uint8_t> grey(64 * 48 * 3, 128);
    const std::string turned = qrtest::encodeRgbJpeg(grey, 64, 48, 90, 6);
    const std::string first = exifSegment(turned);
    const std::string others = imagetest::jpegApp1Segments(count, 65537);
    return turned.substr(0, 2) + others + first + others + exifSegment(qrtest::encodeRgbJpeg(grey, 64, 48, 90, 1)) +
           turned.substr(2 + first.size());
}

// A PNG of 1000 x 750 whose pixels' data is as long as its header lets it be (its rows as
// deflate stores them at worst, 3.4 MB), in chunks of `chunkBytes`: 35,600 of them of 95
// bytes, 3.4 million of one byte.
std::string pngFillingItsDataAllowanceInChunksOf(std::size_t chunkBytes) {
    constexpr int kWidth = 1000, kHeight = 750;
    const auto row = [](int y, std::uint8_t* rgba) {
        for (int x = 0; x < kWidth; ++x) {
            const std::uint8_t pixel[] = {std::uint8_t(x), std::uint8_t(y), std::uint8_t(x ^ y), 255};
            std::copy(pixel, pixel + 4, rgba + 4 * x);
        }
    };
    std::string raw;
    std::vector<std::uint8_t> line(kWidth * 4);
    for (int y = 0; y < kHeight; ++y) {
        row(y, line.data());
        raw += '\0';  // no filter
        raw.append(line.begin(), line.end());
    }
    const std::size_t allowance = raw.size() + raw.size() / 8 + 1024;
    return imagetest::pngWithPixelData(imagetest::encodePngRows(kWidth, kHeight, row),
                                       imagetest::storedZlib(raw, allowance), chunkBytes);
}

// The PNG with texts its decoder keeps (8 MB each at most) that bring its metadata (its
// header and end chunks beside them) to 100 bytes within the metadata's allowance.
std::string withTextsNearTheMetadataAllowance(std::string png) {
    constexpr std::size_t kKept = 8'000'000, kFraming = 12, kHeaderAndEnd = 25 + 12;
    const std::size_t last = maxPictureMetadataBytes - 100 - kHeaderAndEnd - 3 * kFraming - 2 * kKept;
    for (const std::size_t text : {kKept, kKept, last}) png = imagetest::pngWithTextBeforeItsPixels(png, text);
    return png;
}

// `count` chunks of a PNG's pixels' data that hold none.
std::string emptyPixelChunks(std::size_t count) {
    const std::string empty = imagetest::pngChunk("IDAT", {});
    std::string chunks;
    chunks.reserve(count * empty.size());
    for (std::size_t i = 0; i < count; ++i) chunks += empty;
    return chunks;
}

// A PNG of 64 x 64 behind chunks of its pixels' data that hold none, its own in chunks of
// one byte: as many as the metadata's allowance takes beside its header and end chunks
// (the framing of chunks of no data is allowed by no data), or as many as take more than
// the whole allowance; or past them with no end.
enum class EmptyChunks { atTheirAllowance, pastTheAllowance, withNoEnd };
std::string pngBehindEmptyPixelChunks(EmptyChunks chunks, bool interlaced = false) {
    const std::string png = imagetest::twoColourPng(64, 64, {255, 0, 0, 255}, {0, 0, 255, 128}, interlaced);
    constexpr std::size_t kFraming = 12, kHeaderAndEnd = 25 + 12, kAllowance = maxPictureMetadataBytes;
    switch (chunks) {
    case EmptyChunks::atTheirAllowance:
        return imagetest::pngBehindEmptyPixelChunks(png, (kAllowance - kHeaderAndEnd) / kFraming, 1);
    case EmptyChunks::pastTheAllowance: return imagetest::pngBehindEmptyPixelChunks(png, kAllowance / kFraming + 1, 1);
    case EmptyChunks::withNoEnd: break;
    }
    return png.substr(0, 8 + 25) + emptyPixelChunks(2 * kAllowance / kFraming);
}

TEST(HostilePicturesTest, AreRefusedOrCostWhatTheirPictureNeeds) {
    constexpr std::size_t kMiB = 1 << 20;
    DisplayDecodingLimits fourMegapixels;
    fourMegapixels.maxPixels = fourMegapixels.maxTotalPixels = 4 * kMiB;
    struct Row {
        const char* name;
        std::string bytes;
        std::size_t fileLength;  // read from a file of at least this length (sparse past the bytes); 0: from memory
        int coverWidth, coverHeight;
        DisplayDecodingLimits limits;
        int expectWidth, expectHeight;  // 0 x 0: refused
        std::size_t heldMiB;            // the most the peak resident memory may rise by
        std::size_t readMiB = 0;        // the most read from the file; 0: the picture and 1 MiB
        // Read whole by Image::fromFile (Image::decode from memory), at its own size; else at
        // display size under the row's limits.
        bool whole = false;
    };
    // A 12-megapixel photo's coefficients: 4032 x 3024 samples of brightness and two
    // colours at half size across and down, two bytes each, 34.9 MiB.
    const std::string twelveMegapixels = imagetest::jpegWithoutItsEnd(kitJpeg(4032, 3024));
    const std::string noisyPhoto = noisyPng(1600, 1200);
    const std::string smallPhoto = imagetest::encodeJpeg(imagetest::Picture(64, 48, {90, 60, 30, 255}));
    const std::string oneByteChunks = imagetest::gradientsInOneByteChunks(4000, 2000);
    const std::string interlacedOneByteChunks = imagetest::gradientsInOneByteChunks(4000, 2000, true);
    const std::string endlessEmptyPixelChunks = pngBehindEmptyPixelChunks(EmptyChunks::withNoEnd);
    const std::string endlessEmptyInterlacedPixelChunks = pngBehindEmptyPixelChunks(EmptyChunks::withNoEnd, true);
    const std::string hugeHeaderEndlessEmptyPixelChunks =
        imagetest::pngHeader(8000, 8000) + emptyPixelChunks(2 * maxPictureMetadataBytes / 12);
    const std::string pastEmptyPixelChunks = pngBehindEmptyPixelChunks(EmptyChunks::pastTheAllowance);
    const std::string compressedTexts =
        imagetest::pngWithCompressedTexts(imagetest::twoColourPng(64, 64, {255, 0, 0, 255}, {0, 0, 255, 128}), 100,
                                          7'900'000);
    const Row rows[] = {
        {"progressive JPEG followed by 5,000 scans", imagetest::jpegWithManyScans(512, 512, 5000), 0, 96, 96, {},
         0, 0, 8},
        {"GIF frame after 256 KB of clear codes", imagetest::gifWithClearCodes(64, 64, 256 << 10), 0, 96, 96, {}, 0,
         0, 8},
        {"GIF frame with a clear code every two pixels", imagetest::uncompressedGif(256, 256), 0, 96, 96, {}, 96, 96,
         8},
        {"JPEG photo followed by zeros up to 250 MB, from its file",
         imagetest::encodeJpeg(imagetest::Picture(1000, 750, {40, 80, 120, 255}), 90), 250'000'000, 345, 376, {},
         501, 376, 16},
        {"PNG followed by zeros up to 250 MB, from its file",
         imagetest::twoColourPng(1000, 750, {255, 0, 0, 255}, {0, 0, 255, 128}), 250'000'000, 345, 376, {}, 501,
         376, 16},
        {"GIF followed by zeros up to 250 MB, from its file", imagetest::uncompressedGif(200, 150), 250'000'000, 100,
         100, {}, 133, 100, 16},
        // Read under a bound of 4 M pixels, whole it would take 24 MB beside the 16 MB returned.
        {"PNG of 1.5 times the bound", imagetest::twoColourPng(3000, 2000, {255, 0, 0, 255}, {0, 0, 255, 128}), 0, 0,
         0, fourMegapixels, 2508, 1672, 20},
        {"progressive JPEG of 2880 x 1800 for a row", imagetest::progressiveJpeg(2880, 1800), 0, 96, 96, {}, 154, 96,
         24},
        {"progressive JPEG of 4032 x 3024 for a row", imagetest::progressiveJpeg(4032, 3024), 0, 96, 96, {}, 128, 96,
         48},
        // The decoder's own limit on scans (500) stands behind the decode's.
        {"progressive JPEG of 100 scans", imagetest::jpegWithManyScans(512, 512, 90), 0, 96, 96, {}, 96, 96, 8},
        {"progressive JPEG of 101 scans", imagetest::jpegWithManyScans(512, 512, 91), 0, 96, 96, {}, 0, 0, 8},
        // From a file too, its scans counted before any is decoded: refused before its decoder
        // holds the coefficients of the whole picture (15 MB).
        {"progressive JPEG of 100 scans, from its file", imagetest::jpegWithManyScans(512, 512, 90), 1, 96, 96, {},
         96, 96, 8},
        {"progressive JPEG of 2880 x 1800 and 101 scans, from its file", imagetest::jpegWithManyScans(2880, 1800, 91),
         1, 96, 96, {}, 0, 0, 8},
        // Of the APP1 segments only the first Exif block is kept.
        {"JPEG turned by its first Exif block among 32 MB of other APP1 segments", photoAmongApp1Segments(250), 0, 0,
         0, {}, 48, 64, 8},
        {"JPEG turned by its first Exif block among 13 MB of other APP1 segments, from its file",
         photoAmongApp1Segments(100), 1, 0, 0, {}, 48, 64, 8},
        {"GIF of two frames at the most clear codes a frame may hold", imagetest::gifAtTheClearCodeBound(512, 512, 2),
         0, 96, 96, {}, 96, 96, 16},
        // Pictures that never end, and headers the decode refuses, in files of 250 MB:
        // read as far as the decode can use them.
        {"64 x 64 PNG whose end chunk claims 2 GB, followed by zeros up to 250 MB",
         imagetest::pngWhoseEndClaims(imagetest::twoColourPng(64, 64, {255, 0, 0, 255}, {0, 0, 255, 128}), 0x7FFFFFFF),
         250'000'000, 96, 96, {}, 64, 64, 8},
        {"12-megapixel JPEG without its end marker, followed by zeros up to 250 MB", twelveMegapixels, 250'000'000,
         345, 376, {}, 501, 376, 8},
        {"JPEG header of a progressive 8000 x 8000 picture, no end marker, zeros up to 250 MB",
         imagetest::jpegWithoutItsEnd(imagetest::jpegWithFrameSize(imagetest::progressiveJpeg(64, 64), 8000, 8000)),
         250'000'000, 96, 96, {}, 0, 0, 8},
        {"JPEG header of 20000 x 20000, no end marker, zeros up to 250 MB",
         imagetest::jpegWithoutItsEnd(imagetest::jpegWithFrameSize(
             imagetest::encodeJpeg(imagetest::Picture(64, 64, {9, 9, 9, 255})), 20000, 20000)),
         250'000'000, 96, 96, {}, 0, 0, 8},
        // Metadata and the pixels' data each within their own allowance; a text chunk
        // longer than the decoder keeps is passed over unread.
        {"PNG photo of 1600 x 1200 behind a 10 MiB text chunk, from its file",
         imagetest::pngWithTextBeforeItsPixels(noisyPhoto, 10 << 20), 1, 345, 376, {}, 501, 376, 8, 8},
        {"PNG photo of 1600 x 1200 behind a 20 MiB text chunk, from its file",
         imagetest::pngWithTextBeforeItsPixels(noisyPhoto, 20 << 20), 1, 345, 376, {}, 501, 376, 8, 8},
        // Texts kept by no decode: 100 chunks of 8 KB, each inflating to as much as the decoder
        // takes of a chunk.
        {"PNG of 64 x 64 behind compressed texts of 800 MB", compressedTexts, 0, 96, 96, {}, 64, 64, 8},
        {"PNG of 64 x 64 behind compressed texts of 800 MB, from its file", compressedTexts, 1, 96, 96, {}, 64, 64,
         8},
        // The allowance of the pixels' data counts their data, not the framing of its chunks;
        // that framing is allowed a chunk for each byte of their data, whatever the metadata
        // beside it, and past that takes of the metadata's allowance.
        {"PNG whose pixels' data fills its allowance in chunks of 95 bytes, from its file",
         pngFillingItsDataAllowanceInChunksOf(95), 1, 0, 0, {}, 1000, 750, 8},
        {"PNG whose pixels' data fills its allowance in chunks of one byte, from its file",
         pngFillingItsDataAllowanceInChunksOf(1), 1, 0, 0, {}, 1000, 750, 8},
        {"PNG of 4000 x 2000 whose pixels' data comes in 1.6 million chunks of one byte, from its file",
         oneByteChunks, 1, 345, 376, {}, 752, 376, 8},
        {"PNG of 4000 x 2000 in 1.6 million chunks of one byte behind texts near the metadata's allowance, from its file",
         withTextsNearTheMetadataAllowance(oneByteChunks), 1, 345, 376, {}, 752, 376, 8},
        {"PNG of 64 x 64 whose pixels' chunks, most of them empty, take their framing's allowance, from its file",
         pngBehindEmptyPixelChunks(EmptyChunks::atTheirAllowance), 1, 0, 0, {}, 64, 64, 8},
        // Chunks of no data that never end are read as far as that allowance, however many
        // pixels the header claims. From memory, its bytes already held, a picture behind
        // more of them is shown as it always was.
        {"PNG of 64 x 64 whose pixels' chunks hold no data and never end, from its file", endlessEmptyPixelChunks, 1,
         0, 0, {}, 0, 0, 8, 18},
        {"PNG header of 8000 x 8000 whose pixels' chunks hold no data and never end, from its file",
         hugeHeaderEndlessEmptyPixelChunks, 1, 345, 376, {}, 0, 0, 8, 17},
        {"PNG header of 8000 x 8000 whose pixels' chunks hold no data and never end, read whole from its file",
         hugeHeaderEndlessEmptyPixelChunks, 1, 0, 0, {}, 0, 0, 8, 17, true},
        {"PNG of 64 x 64 behind chunks of no data past their framing's allowance, from memory", pastEmptyPixelChunks,
         0, 0, 0, {}, 64, 64, 8},
        {"PNG of 64 x 64 behind chunks of no data past their framing's allowance, read whole from memory",
         pastEmptyPixelChunks, 0, 0, 0, {}, 64, 64, 8, 0, true},
        // A PNG read whole, or interlaced (its pixels held until its last pass), is decoded as
        // its file is read too, holding its pixels, not the file, however its chunks are cut:
        // chunks of no data up to their framing's allowance take no room, nor the 39 MB of
        // framing of 3.3 million chunks of one byte; and the file is read no further than its
        // decoder reads (it stops at a chunk whose checksum is wrong).
        {"PNG of 64 x 64 whose pixels' chunks hold no data and never end, read whole from its file",
         endlessEmptyPixelChunks, 1, 0, 0, {}, 0, 0, 8, 18, true},
        {"interlaced PNG of 64 x 64 whose pixels' chunks hold no data and never end, from its file",
         endlessEmptyInterlacedPixelChunks, 1, 0, 0, {}, 0, 0, 8, 18},
        {"interlaced PNG of 64 x 64 whose pixels' chunks hold no data, the tenth with a wrong checksum, from its file",
         imagetest::pngWithPixelChunkDamaged(endlessEmptyInterlacedPixelChunks, 9), 1, 0, 0, {}, 0, 0, 8, 1},
        {"interlaced PNG of 4000 x 2000 whose pixels' data comes in 3.3 million chunks of one byte, from its file",
         interlacedOneByteChunks, 1, 345, 376, wholeDecodingLimits(), 752, 376, 40},
        {"PNG of 4000 x 2000 whose pixels' data comes in 1.6 million chunks of one byte, read whole from its file",
         oneByteChunks, 1, 0, 0, {}, 4000, 2000, 40, 0, true},
        // Rows of 4,097 bytes: 2.1 MB, at most 2.4 MB as deflate stores them; data that
        // never ends is read no further.
        {"PNG of 1024 x 512 whose pixels' data never ends, from its file",
         imagetest::pngWhosePixelDataNeverEnds(imagetest::twoColourPng(1024, 512, {9, 9, 9, 255}, {9, 9, 9, 255}),
                                              64 << 10, 6 << 20),
         250'000'000, 96, 96, {}, 0, 0, 8, 3},
        // A header as long as the metadata's allowance shows; one past it is cut there.
        {"JPEG photo whose header ends 1,000 bytes within the metadata's allowance, from its file",
         imagetest::jpegWithMetadataUpTo(smallPhoto, (16 << 20) - 1000), 1, 0, 0, {}, 64, 48, 8, 17},
        {"JPEG photo whose header ends 1,000 bytes past the metadata's allowance, from its file",
         imagetest::jpegWithMetadataUpTo(smallPhoto, (16 << 20) + 1000), 1, 0, 0, {}, 0, 0, 8, 17},
        {"GIF screen of 65535 x 65535 and a frame of that size with 16 MB of data",
         imagetest::gifWithData(65535, 65535, std::string(16 << 20, 'U')), 16 << 20, 96, 96, {}, 0, 0, 8, 1},
    };
    testsupport::TempDir dir;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        ASSERT_FALSE(r.bytes.empty());
        std::filesystem::path file;
        if (r.fileLength) {
            file = dir.write("photo", r.bytes);
            if (r.fileLength > r.bytes.size()) std::filesystem::resize_file(file, r.fileLength);
        }
        const auto readBefore = procField("/proc/thread-self/io", "rchar:");
        resetPeakResident();
        const auto peakBefore = procField("/proc/self/status", "VmHWM:");
        const auto fromMemory = [&r] {
            return r.whole ? Image::decode(r.bytes)
                           : readStillForDisplay(r.bytes, r.coverWidth, r.coverHeight, r.limits);
        };
        const auto shown = !r.fileLength ? fromMemory()
                           : r.whole     ? Image::fromFile(file)
                                         : readStillFileForDisplay(file, r.coverWidth, r.coverHeight, r.limits);
        const auto peakAfter = procField("/proc/self/status", "VmHWM:");
        const auto readAfter = procField("/proc/thread-self/io", "rchar:");
        EXPECT_EQ(shown ? std::pair(shown->pixelWidth(), shown->pixelHeight()) : std::pair(0, 0),
                  std::pair(r.expectWidth, r.expectHeight));
        if (peakBefore && peakAfter) {
            EXPECT_LE(*peakAfter - *peakBefore, static_cast<long long>(r.heldMiB * 1024));
        }
        // A file is read as far as its picture goes, and its decode can use.
        if (r.fileLength && readBefore && readAfter) {
            EXPECT_LE(*readAfter - *readBefore,
                      static_cast<long long>(r.readMiB ? r.readMiB * kMiB : r.bytes.size() + kMiB));
        }
        // And what a file shows is what its bytes show from memory.
        if (r.fileLength && shown) {
            const auto memory = fromMemory();
            ASSERT_TRUE(memory);
            ASSERT_EQ(std::pair(memory->pixelWidth(), memory->pixelHeight()), std::pair(r.expectWidth, r.expectHeight));
            EXPECT_TRUE(std::equal(shown->bitmap().data(),
                                   shown->bitmap().data() + std::size_t(r.expectWidth) * std::size_t(r.expectHeight),
                                   memory->bitmap().data()));
        }
    }
}

// A PNG decoded as its file is read (whole, or interlaced at display size) shows what its
// bytes show from memory, pixel for pixel, or is refused as they are, however its pixels'
// data is cut into chunks, whatever their checksums, wherever the file ends: its decoder
// reads the same bytes in the same pieces from both. It reads no further than its rows
// need and a piece past them, so that the last chunks of one byte (the checksum of the
// data) go unread, where the same data in fewer chunks would be read and judged.
TEST(HostilePicturesTest, APngDecodedAsItsFileIsReadShowsWhatItsBytesShow) {
    const std::string photo = noisyPng(300, 200, true);  // 240 KB of data
    const std::string data = imagetest::pngPixelData(photo);
    const std::string oneByteChunks = imagetest::pngWithPixelData(photo, data, 1);
    const std::size_t dataEnd = oneByteChunks.size() - platform::graphics::pngEndChunk.size();
    const std::size_t middle = 8 + 25 + 13 * (data.size() / 2);  // between two chunks
    const std::string text = imagetest::pngChunk("tEXt", std::string("Comment\0a note", 14));
    const auto cutInTheLastChecksum = [](const std::string& png) {
        return png.substr(0, png.size() - platform::graphics::pngEndChunk.size() - 2);
    };
    const struct {
        const char* name;
        std::string bytes;
        bool shown;
    } rows[] = {
        {"in chunks of one byte", oneByteChunks, true},
        {"not interlaced, in chunks of one byte", imagetest::gradientsInOneByteChunks(300, 200), true},
        {"in chunks of 1, 70,000, none, 3, 65,535 and 65,536 bytes in turn",
         imagetest::pngWithPixelData(photo, data, {1, 70000, 0, 3, 65535, 65536}), true},
        {"behind 100,000 chunks of no data", imagetest::pngBehindEmptyPixelChunks(photo, 100000, 1), true},
        {"in chunks of one byte, one in the middle with a wrong checksum",
         imagetest::pngWithPixelChunkDamaged(oneByteChunks, data.size() / 2), false},
        {"in chunks of 70,000 bytes, the second with a wrong checksum",
         imagetest::pngWithPixelChunkDamaged(imagetest::pngWithPixelData(photo, data, 70000), 1), false},
        {"in chunks of one byte, then one of no data with a wrong checksum, which its decoder does not reach",
         imagetest::pngWithPixelChunkDamaged(oneByteChunks.substr(0, dataEnd) + imagetest::pngChunk("IDAT", {}) +
                                                 std::string(platform::graphics::pngEndChunk),
                                             data.size()),
         true},
        {"in chunks of one byte, then bytes past the end of its data",
         imagetest::pngWithPixelData(photo, data + "past", 1), true},
        {"in chunks of one byte, cut in the middle of its data", oneByteChunks.substr(0, dataEnd / 2 + 5), false},
        {"in chunks of one byte, cut in the last one's checksum", cutInTheLastChecksum(oneByteChunks), true},
        {"in chunks of one byte, cut before the last four", oneByteChunks.substr(0, dataEnd - 4 * 13), true},
        {"in chunks of one byte, cut before the last five", oneByteChunks.substr(0, dataEnd - 5 * 13), false},
        {"in chunks of 8,192 bytes, cut in the last one's checksum",
         cutInTheLastChecksum(imagetest::pngWithPixelData(photo, data, 8192)), false},
        {"in chunks of one byte, cut after the last one", oneByteChunks.substr(0, dataEnd), true},
        {"in two runs of chunks of one byte with a text between",
         oneByteChunks.substr(0, middle) + text + oneByteChunks.substr(middle), false},
    };
    testsupport::TempDir dir;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const auto file = dir.write("photo.png", r.bytes);
        const auto same = [&](const std::optional<Image>& fromFile, const std::optional<Image>& fromMemory) {
            ASSERT_EQ(fromFile.has_value(), r.shown);
            ASSERT_EQ(fromMemory.has_value(), r.shown);
            if (!r.shown) return;
            ASSERT_EQ(std::pair(fromFile->pixelWidth(), fromFile->pixelHeight()), std::pair(300, 200));
            ASSERT_EQ(std::pair(fromMemory->pixelWidth(), fromMemory->pixelHeight()), std::pair(300, 200));
            EXPECT_TRUE(std::equal(fromFile->bitmap().data(), fromFile->bitmap().data() + 300 * 200,
                                   fromMemory->bitmap().data()));
        };
        same(Image::fromFile(file), Image::decode(r.bytes));
        same(readStillFileForDisplay(file, 0, 0), readStillForDisplay(r.bytes, 0, 0));
    }
}

// A photo whose file breaks after its picture's data (its end marker damaged) is read up
// to the break, however its bytes arrive: the picture is all there.
TEST(HostilePicturesTest, AFileThatBreaksAfterItsPictureShowsItsPicture) {
    const std::string whole = imagetest::encodeJpeg(imagetest::Picture(300, 200, {200, 40, 40, 255}), 90);
    ASSERT_EQ(whole.substr(whole.size() - 2), "\xFF\xD9");
    std::string broken = whole;
    broken.replace(broken.size() - 2, 2, std::string("\xFF\xC4\x00\x00", 4));  // a table of no length
    testsupport::TempDir dir;
    const auto fromFile = readStillFileForDisplay(dir.write("photo.jpg", broken), 0, 0);
    const auto original = readStillForDisplay(whole, 0, 0);
    ASSERT_TRUE(fromFile);
    ASSERT_TRUE(original);
    ASSERT_EQ(std::pair(fromFile->pixelWidth(), fromFile->pixelHeight()), std::pair(300, 200));
    EXPECT_TRUE(std::equal(fromFile->bitmap().data(), fromFile->bitmap().data() + 300 * 200, original->bitmap().data()));
}

}  // namespace

namespace {

// Where a JPEG ends whose first scan's header ends past the metadata's allowance: at the
// allowance, however its bytes arrive, in pieces of any size or all at once.
TEST(HostilePicturesTest, AJpegHeaderPastTheMetadataAllowanceIsCutThereHoweverItsBytesArrive) {
    const std::string photo = imagetest::encodeJpeg(imagetest::Picture(64, 48, {90, 60, 30, 255}));
    constexpr std::size_t kAllowance = maxPictureMetadataBytes;
    for (const std::size_t past : {std::size_t(1), std::size_t(700), std::size_t(40000)}) {
        const std::string jpeg = imagetest::jpegWithMetadataUpTo(photo, kAllowance + past);
        for (const std::size_t piece : {jpeg.size(), std::size_t(1) << 20, std::size_t(65536), std::size_t(65543),
                                        std::size_t(4093)}) {
            SCOPED_TRACE(std::to_string(past) + " past, in pieces of " + std::to_string(piece));
            PictureExtent extent(DisplayDecodingLimits{});
            std::optional<std::size_t> length;
            for (std::size_t read = std::min(piece, jpeg.size()); !length; read = std::min(read + piece, jpeg.size())) {
                length = extent.length(std::string_view(jpeg).substr(0, read));
                if (read == jpeg.size()) break;
            }
            EXPECT_EQ(length, std::optional(kAllowance));
        }
    }
    // Its header within the allowance, the photo is whole.
    const std::string within = imagetest::jpegWithMetadataUpTo(photo, kAllowance - 1000);
    EXPECT_EQ(PictureExtent(DisplayDecodingLimits{}).length(within), std::optional(within.size()));
}

// A card's read of a 12-megapixel photo without its end marker, in a file of 250 MB, holds
// the decoder's rows, not the file: it shows within 24 MiB more address space than the
// process has (a read that held the file's picture first would take 37 MB).
TEST(HostilePicturesTest, ACardReadOfAPhotoWithoutItsEndHoldsItsRowsNotItsFile) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || VISTREL_HAS_SANITIZER
    GTEST_SKIP() << "the sanitizers' own address space";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    testsupport::TempDir dir;
    const auto file = dir.write("photo.jpg", imagetest::jpegWithoutItsEnd(imagetest::baselineJpeg(4032, 3024)));
    std::filesystem::resize_file(file, 250'000'000);
    EXPECT_EXIT(
        {
            const auto addressSpace = procField("/proc/self/status", "VmSize:");
            rlimit limit{};
            ::getrlimit(RLIMIT_AS, &limit);
            const rlimit before = limit;
            limit.rlim_cur = static_cast<rlim_t>(addressSpace.value_or(0) + 24 * 1024) * 1024;
            ::setrlimit(RLIMIT_AS, &limit);
            const bool shown = [&] {
                const auto still = readStillFileForDisplay(file, 345, 376);
                return still && still->pixelWidth() == 501 && still->pixelHeight() == 376;
            }();
            // This child ran the test from its start, with a folder of its own that its end
            // would not remove.
            ::setrlimit(RLIMIT_AS, &before);
            std::error_code ignored;
            std::filesystem::remove_all(dir.path(), ignored);
            std::_Exit(shown ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
#endif
}

}  // namespace
