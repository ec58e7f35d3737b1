// JPEG encoding with TurboJPEG.
#include "platform/graphics/jpeg_encoding.hpp"

#include <turbojpeg.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <memory>

namespace platform::graphics {

namespace {
struct HandleCloser {
    void operator()(void* handle) const { tjDestroy(handle); }
};
}  // namespace

std::optional<std::string> encodeJpeg(const Image& image, double quality) {
    const Bitmap& bitmap = image.bitmap();
    if (bitmap.isEmpty()) return std::nullopt;
    if (!std::isfinite(quality)) quality = 0;
    int q = static_cast<int>(std::lround(std::clamp(quality, 0.0, 1.0) * 99)) + 1;
    std::unique_ptr<void, HandleCloser> handle(tjInitCompress());
    if (!handle) return std::nullopt;
    int format = std::endian::native == std::endian::little ? TJPF_BGRA : TJPF_ARGB;
    unsigned char* out = nullptr;
    unsigned long size = 0;
    if (tjCompress2(handle.get(), reinterpret_cast<const unsigned char*>(bitmap.data()), bitmap.width(),
                    bitmap.stride(), bitmap.height(), format, &out, &size, TJSAMP_420, q, 0) != 0) {
        tjFree(out);
        return std::nullopt;
    }
    std::string bytes(reinterpret_cast<const char*>(out), size);
    tjFree(out);
    return bytes;
}

}  // namespace platform::graphics
