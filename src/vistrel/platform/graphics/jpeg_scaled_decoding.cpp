#include "vistrel/platform/graphics/jpeg_scaled_decoding.hpp"

#include <turbojpeg.h>

#include <algorithm>

#include "vistrel/platform/graphics/image_decoding.hpp"

namespace platform::graphics {

namespace {

// Orientations 5 to 8 turn the picture a quarter: the stored width is the shown height.
bool turnsQuarter(int orientation) { return orientation >= 5 && orientation <= 8; }

}  // namespace

ScaledJpegSize jpegScaleCovering(int storedWidth, int storedHeight, int orientation, int width, int height) {
    const int wantWidth = std::max(1, turnsQuarter(orientation) ? height : width);
    const int wantHeight = std::max(1, turnsQuarter(orientation) ? width : height);
    ScaledJpegSize best{storedWidth, storedHeight, 1, 1};
    int count = 0;
    const tjscalingfactor* factors = tjGetScalingFactors(&count);
    for (int i = 0; factors && i < count; ++i) {
        const tjscalingfactor factor = factors[i];
        if (factor.num > factor.denom) continue;  // only ever smaller
        const int w = TJSCALED(storedWidth, factor);
        const int h = TJSCALED(storedHeight, factor);
        if (w >= wantWidth && h >= wantHeight && static_cast<long long>(w) * h < static_cast<long long>(best.width) * best.height)
            best = {w, h, factor.num, factor.denom};
    }
    return best;
}

std::optional<Image> decodeJpegCovering(std::string_view bytes, int width, int height) {
    auto upright = decodeJpegBitmap(bytes, PixelSize{width, height});
    if (!upright) return std::nullopt;
    return Image::make(std::move(*upright));
}

}  // namespace platform::graphics
