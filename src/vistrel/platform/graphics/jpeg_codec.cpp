// JPEG decoding with TurboJPEG. A picture with damage the decoder can step over (a
// truncated scan, say) is kept as the decoder leaves it, as a photo viewer would. The
// camera's Exif orientation is applied, so a photo taken upright comes out upright. A
// picture of more scans than any encoder writes is refused before it is decoded: each
// scan costs a pass over the picture, however few bytes it takes.
#include <turbojpeg.h>

#include <bit>
#include <memory>

#include "vistrel/platform/graphics/exif_orientation.hpp"
#include "vistrel/platform/graphics/image_decoding.hpp"
#include "vistrel/platform/graphics/jpeg_scaled_decoding.hpp"
#include "vistrel/platform/graphics/jpeg_scans.hpp"

namespace platform::graphics {

namespace {
struct HandleCloser {
    void operator()(void* handle) const { tjDestroy(handle); }
};
}  // namespace

std::optional<Bitmap> decodeJpegBitmap(std::string_view bytes, std::optional<PixelSize> covering) {
    std::unique_ptr<void, HandleCloser> handle(tjInitDecompress());
    if (!handle) return std::nullopt;
    auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    auto size = static_cast<unsigned long>(bytes.size());
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    if (tjDecompressHeader3(handle.get(), data, size, &width, &height, &subsampling, &colorspace) != 0)
        return std::nullopt;
    if (!withinDecodingLimits(width, height) || jpegScanCount(bytes) > maxJpegScans) return std::nullopt;
    const int orientation = exifOrientation(bytes);
    if (covering) {
        const auto scaled = jpegScaleCovering(width, height, orientation, covering->width, covering->height);
        width = scaled.width;
        height = scaled.height;
    }
    auto bitmap = Bitmap::make(width, height);
    if (!bitmap) return std::nullopt;
    // Opaque pixels need no premultiplying; only the byte order matters.
    int format = std::endian::native == std::endian::little ? TJPF_BGRA : TJPF_ARGB;
    // The decoder's own limit on scans stands behind the count above.
    if (tjDecompress2(handle.get(), data, size, reinterpret_cast<unsigned char*>(bitmap->data()), width,
                      bitmap->stride(), height, format, TJFLAG_LIMITSCANS) != 0 &&
        tjGetErrorCode(handle.get()) != TJERR_WARNING)
        return std::nullopt;
    return orientedBitmap(std::move(*bitmap), orientation);
}

std::optional<DecodedFrames> decodeJpeg(std::string_view bytes) {
    auto upright = decodeJpegBitmap(bytes, std::nullopt);
    if (!upright) return std::nullopt;
    DecodedFrames result;
    result.frames.push_back(std::move(*upright));
    return result;
}

}  // namespace platform::graphics
