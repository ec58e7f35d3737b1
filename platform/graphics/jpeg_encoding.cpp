#include "platform/graphics/jpeg_encoding.hpp"

#include <turbojpeg.h>

#include <algorithm>
#include <cmath>

namespace platform::graphics {

std::optional<std::string> encodeJpeg(const Image& image, double quality) {
    const Bitmap& bitmap = image.bitmap();
    if (bitmap.isEmpty()) return std::nullopt;
    int q = std::isfinite(quality) ? static_cast<int>(std::lround(std::clamp(quality, 0.0, 1.0) * 99)) + 1 : 1;
    tjhandle handle = tjInitCompress();
    if (!handle) return std::nullopt;
    unsigned char* out = nullptr;
    unsigned long size = 0;
    int rc = tjCompress2(handle, reinterpret_cast<const unsigned char*>(bitmap.data()), bitmap.width(),
                         bitmap.stride(), bitmap.height(), TJPF_BGRA, &out, &size, TJSAMP_420, q, 0);
    std::optional<std::string> bytes;
    if (rc == 0) bytes.emplace(reinterpret_cast<const char*>(out), size);
    tjFree(out);
    tjDestroy(handle);
    return bytes;
}

}  // namespace platform::graphics
