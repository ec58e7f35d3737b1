// JPEG decoding of bytes in memory, by the reader every JPEG goes through
// (jpeg_reading.hpp).
#include "vistrel/platform/graphics/image_decoding.hpp"
#include "vistrel/platform/graphics/jpeg_reading.hpp"

namespace platform::graphics {

std::optional<Bitmap> decodeJpegBitmap(std::string_view bytes, std::optional<PixelSize> covering) {
    return readJpeg(bytes, [&](const ImageHeader& header) { return covering.value_or(PixelSize{header.width, header.height}); });
}

std::optional<DecodedFrames> decodeJpeg(std::string_view bytes) {
    auto upright = decodeJpegBitmap(bytes, std::nullopt);
    if (!upright) return std::nullopt;
    DecodedFrames result;
    result.frames.push_back(std::move(*upright));
    return result;
}

}  // namespace platform::graphics
