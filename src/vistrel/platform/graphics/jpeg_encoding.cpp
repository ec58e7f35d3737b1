#include "vistrel/platform/graphics/jpeg_encoding.hpp"

#include <turbojpeg.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <new>

namespace platform::graphics {

namespace {

struct HandleCloser {
    void operator()(void* handle) const { tjDestroy(handle); }
};

int jpegQuality(double quality) {
    if (!(quality > 0)) return 1;  // also NaN
    if (quality >= 1) return 100;
    return static_cast<int>(std::lround(1 + quality * 99));
}

}  // namespace

std::optional<std::string> encodeJpeg(const Image& image, double quality) {
    std::unique_ptr<void, HandleCloser> handle(tjInitCompress());
    if (!handle) return std::nullopt;
    const Bitmap& bitmap = image.bitmap();
    const int width = bitmap.width(), height = bitmap.height();
    const auto* source = reinterpret_cast<const unsigned char*>(bitmap.data());
    int pitch = bitmap.stride(), format = 0, subsampling = TJSAMP_420;
    std::shared_ptr<const Image::GreyValues> grey;
    if (image.isGrey()) {
        grey = image.greyValues();
        if (!grey) return std::nullopt;
        source = grey->data();
        pitch = width;
        format = TJPF_GRAY;
        subsampling = TJSAMP_GRAY;
    } else {
        // Premultiplied components are the colour drawn over black; the alpha byte is skipped.
        format = std::endian::native == std::endian::little ? TJPF_BGRX : TJPF_XRGB;
    }
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    int failed = tjCompress2(handle.get(), source, width, pitch, height, format, &jpeg, &size, subsampling,
                             jpegQuality(quality), 0);
    std::unique_ptr<unsigned char, void (*)(unsigned char*)> owned(jpeg, tjFree);
    if (failed != 0 || !jpeg) return std::nullopt;
    try {
        return std::string(reinterpret_cast<const char*>(jpeg), size);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

}  // namespace platform::graphics
