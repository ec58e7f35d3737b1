// Feeds arbitrary bytes to every picture decoder the kit uses: the full decode of PNG,
// JPEG (turned upright by its Exif orientation) and GIF (still or animated, with its
// frame delays), the JPEG decode at a smaller scale, the image source of a GIF's frames,
// the header read and the decode at display size that remote pictures take, and the grey
// values of what was decoded, and where a file's picture ends as its bytes arrive (under
// the limits of a decode at display size and of a whole one), to a reader that keeps
// all of them or only those still looked at. Nothing may crash, and what
// is decoded must hold together (sizes, frames, durations, grey planes).
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/display_decoding.hpp"
#include "vistrel/platform/graphics/grey_plane.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/graphics/image_header.hpp"
#include "vistrel/platform/graphics/image_source.hpp"
#include "vistrel/platform/graphics/jpeg_scaled_decoding.hpp"
#include "vistrel/platform/graphics/picture_extent.hpp"

namespace {

using platform::graphics::Image;

void require(bool condition) {
    if (!condition) std::abort();
}

void checkImage(const Image& image) {
    require(image.pixelWidth() > 0 && image.pixelHeight() > 0);
    for (const auto& frame : image.frames())
        require(frame.width() == image.pixelWidth() && frame.height() == image.pixelHeight());
    require(std::isfinite(image.duration()) && image.duration() >= 0);
    require(image.isAnimated() || image.duration() == 0);
    double total = 0;
    for (std::size_t i = 0; i < image.frames().size(); ++i) total += image.frameDuration(i);
    require(!image.isAnimated() || std::abs(total - image.duration()) <= 1e-6 * (1 + image.duration()));
    require(image.frameIndexAt(image.duration() * 0.75) < image.frames().size());
    auto grey = image.greyValues();
    require(grey && grey->size() == std::size_t(image.pixelWidth()) * std::size_t(image.pixelHeight()));
    auto greyPicture = platform::graphics::greyImage(image);
    require(greyPicture && greyPicture->isGrey() && greyPicture->pixelWidth() == image.pixelWidth() &&
            greyPicture->pixelHeight() == image.pixelHeight());
}

// A scaled decode covers what was asked for, or is the whole picture when that is smaller.
void checkScaledJpeg(std::string_view bytes, const Image& full, int width, int height) {
    auto scaled = platform::graphics::decodeJpegCovering(bytes, width, height);
    require(scaled.has_value());
    checkImage(*scaled);
    require(scaled->pixelWidth() <= full.pixelWidth() && scaled->pixelHeight() <= full.pixelHeight());
    require(scaled->pixelWidth() >= std::min(std::max(width, 1), full.pixelWidth()) &&
            scaled->pixelHeight() >= std::min(std::max(height, 1), full.pixelHeight()));
}

unsigned byteAt(std::string_view bytes, std::size_t at) { return static_cast<unsigned char>(bytes[at]); }

long long bigEndian(std::string_view bytes, std::size_t at, std::size_t width) {
    long long value = 0;
    for (std::size_t i = 0; i < width; ++i) value = (value << 8) | byteAt(bytes, at + i);
    return value;
}

// The pixels the header promises (the largest frame of a JPEG's), read roughly: enough
// to keep the fuzzer off pictures that only cost time to allocate and clear. The
// limits on large pictures have tests of their own.
long long promisedPixels(std::string_view bytes) {
    if (bytes.substr(0, 4) == "GIF8" && bytes.size() >= 10)
        return (byteAt(bytes, 6) + 256LL * byteAt(bytes, 7)) * (byteAt(bytes, 8) + 256LL * byteAt(bytes, 9));
    if (bytes.substr(0, 4) == "\x89PNG" && bytes.size() >= 24)  // each side kept under 2^31
        return std::min(bigEndian(bytes, 16, 4), 1LL << 31) * std::min(bigEndian(bytes, 20, 4), 1LL << 31);
    long long largest = 0;  // over every start-of-frame marker of a JPEG
    for (std::size_t i = 0; i + 9 <= bytes.size(); ++i) {
        const unsigned marker = byteAt(bytes, i + 1);
        if (byteAt(bytes, i) == 0xFF && marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
            marker != 0xCC)
            largest = std::max(largest, bigEndian(bytes, i + 5, 2) * bigEndian(bytes, i + 7, 2));
    }
    return largest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = (platform::setLogSink(platform::discardLine), true);
    (void)quiet;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // Limits small enough to stay quick, for the decodes at display size below; the
    // whole decode's are Image's.
    platform::graphics::DisplayDecodingLimits small;
    small.maxPixels = 1 << 12;
    small.maxTotalPixels = 1 << 16;
    small.maxWholePixels = 1 << 16;
    small.maxWholeFramesPixels = 1 << 16;
    small.maxWholeCoefficientBytes = 1 << 19;
    small.maxFrames = 4;

    // Where a picture ends, told as a file's bytes arrive in pieces: a length, once given,
    // may lie past what was read (the reader reads up to it); one within what was read is
    // what all the bytes at once tell too (bytes that are no picture end anywhere). The
    // most the picture may take never grows as more is read.
    if (platform::graphics::imageFormatOf(bytes)) {
        for (const auto& limits : {small, platform::graphics::wholeDecodingLimits()}) {
            platform::graphics::PictureExtent extent(limits);
            // A reader that keeps only the bytes the extent still looks at hears the same.
            platform::graphics::PictureExtent windowed(limits);
            std::size_t atMost = extent.atMost();
            for (std::size_t read = std::min<std::size_t>(bytes.size(), 7);; read = std::min(bytes.size(), read * 2 + 1)) {
                const auto length = extent.length(bytes.substr(0, read));
                const std::size_t from = std::min(windowed.resumeAt(), read);
                require(windowed.length(bytes.substr(from, read - from), from) == length);
                require(windowed.atMost() == extent.atMost() && windowed.leftOutAfter(0) == extent.leftOutAfter(0));
                if (length) {
                    if (*length <= read)
                        require(platform::graphics::PictureExtent(limits).length(bytes).value_or(0) == *length);
                    break;
                }
                require(extent.atMost() <= atMost);
                atMost = extent.atMost();
                if (read == bytes.size()) break;
            }
        }
    }

    if (promisedPixels(bytes) > (1 << 20)) return 0;

    std::optional<Image> image = Image::decode(bytes, 2);
    if (image) {
        checkImage(*image);
        require(image->scale() == 2);
    }

    const bool jpeg = bytes.substr(0, 3) == "\xFF\xD8\xFF";
    if (jpeg) {
        auto scaled = platform::graphics::decodeJpegCovering(bytes, 1, 1);
        require(scaled.has_value() == image.has_value());
        if (image) {
            checkScaledJpeg(bytes, *image, image->pixelWidth(), image->pixelHeight());
            checkScaledJpeg(bytes, *image, image->pixelWidth() / 3, image->pixelHeight() / 5);
        }
    }

    // At display size, as a remote picture is decoded: never larger than asked for
    // (unless the picture is smaller), and never a picture the header does not announce.
    // Smaller pictures only: the reduction is the same at any size, and large ones would
    // spend the run's time on reading rows.
    if (promisedPixels(bytes) <= (1 << 16)) {
        platform::graphics::ImageSourceResult shown =
            platform::graphics::readImageSourceForDisplay(bytes, 48, 48, small);
        require(!shown.source || shown.failure.empty());
        if (shown.source) {
            require(platform::graphics::readImageHeader(bytes).has_value());
            long long total = 0;
            for (const auto& frame : shown.source->frames) {
                if (!frame.image) continue;
                require(!frame.image->isEmpty());
                const long long pixels = static_cast<long long>(frame.image->width()) * frame.image->height();
                require(pixels <= small.maxPixels);
                total += pixels;
            }
            require(total <= small.maxTotalPixels);
        }
    }

    // The frames of the picture one by one, under limits small enough to stay quick.
    platform::graphics::ImageSourceLimits limits;
    limits.maxCanvasPixels = 1 << 20;
    limits.maxDecodedBytes = 16 << 20;
    limits.maxFrames = 64;
    platform::graphics::ImageSourceResult source = platform::graphics::readImageSource(bytes, limits);
    require(!source.source || source.failure.empty());
    if (source.source) {
        for (const auto& frame : source.source->frames) {
            if (frame.image) require(!frame.image->isEmpty());
            if (frame.gif) require(std::isfinite(frame.gif->delayTime) && frame.gif->delayTime > 0);
        }
    }
    return 0;
}
