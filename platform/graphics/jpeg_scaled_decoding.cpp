#include "platform/graphics/jpeg_scaled_decoding.hpp"

#include <turbojpeg.h>

#include <algorithm>
#include <bit>
#include <memory>

#include "platform/graphics/exif_orientation.hpp"
#include "platform/graphics/image_decoding.hpp"

namespace platform::graphics {

namespace {

struct HandleCloser {
    void operator()(void* handle) const { tjDestroy(handle); }
};

// Orientations 5 to 8 turn the picture a quarter: the stored width is the shown height.
bool turnsQuarter(int orientation) { return orientation >= 5 && orientation <= 8; }

}  // namespace

ScaledJpegSize jpegScaleCovering(int storedWidth, int storedHeight, int orientation, int width, int height) {
    const int wantWidth = std::max(1, turnsQuarter(orientation) ? height : width);
    const int wantHeight = std::max(1, turnsQuarter(orientation) ? width : height);
    ScaledJpegSize best{storedWidth, storedHeight};
    int count = 0;
    const tjscalingfactor* factors = tjGetScalingFactors(&count);
    for (int i = 0; factors && i < count; ++i) {
        const tjscalingfactor factor = factors[i];
        if (factor.num > factor.denom) continue;  // only ever smaller
        const int w = TJSCALED(storedWidth, factor);
        const int h = TJSCALED(storedHeight, factor);
        if (w >= wantWidth && h >= wantHeight && static_cast<long long>(w) * h < static_cast<long long>(best.width) * best.height)
            best = {w, h};
    }
    return best;
}

std::optional<Image> decodeJpegCovering(std::string_view bytes, int width, int height) {
    std::unique_ptr<void, HandleCloser> handle(tjInitDecompress());
    if (!handle) return std::nullopt;
    auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    auto size = static_cast<unsigned long>(bytes.size());
    int storedWidth = 0, storedHeight = 0, subsampling = 0, colorspace = 0;
    if (tjDecompressHeader3(handle.get(), data, size, &storedWidth, &storedHeight, &subsampling, &colorspace) != 0)
        return std::nullopt;
    if (!withinDecodingLimits(storedWidth, storedHeight)) return std::nullopt;
    const int orientation = exifOrientation(bytes);
    const ScaledJpegSize scaled = jpegScaleCovering(storedWidth, storedHeight, orientation, width, height);
    auto bitmap = Bitmap::make(scaled.width, scaled.height);
    if (!bitmap) return std::nullopt;
    // Opaque pixels need no premultiplying; only the byte order matters.
    const int format = std::endian::native == std::endian::little ? TJPF_BGRA : TJPF_ARGB;
    if (tjDecompress2(handle.get(), data, size, reinterpret_cast<unsigned char*>(bitmap->data()), scaled.width,
                      bitmap->stride(), scaled.height, format, 0) != 0 &&
        tjGetErrorCode(handle.get()) != TJERR_WARNING)
        return std::nullopt;
    auto upright = orientedBitmap(std::move(*bitmap), orientation);
    if (!upright) return std::nullopt;
    return Image::make(std::move(*upright));
}

std::optional<Image> decodeJpegFileCovering(const std::filesystem::path& path, int width, int height) {
    auto bytes = readImageFile(path);
    if (!bytes) return std::nullopt;
    return decodeJpegCovering(*bytes, width, height);
}

}  // namespace platform::graphics
