#pragma once
// The decoder settings of the QR search (internal to platform/vision and its benchmark;
// pulls in zxing-cpp).
#define ZX_USE_UTF8 1
#include <ZXing/DecodeHints.h>

namespace platform::vision {

inline ZXing::DecodeHints thoroughHints() {
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setTryHarder(true);
    hints.setTryRotate(true);
    // Halving (not thirding) at each step of the pyramid of smaller copies: a blurred
    // or grainy code is often read on a half-size copy, where pixels are averaged.
    hints.setTryDownscale(true);
    hints.setDownscaleFactor(2);
    hints.setBinarizer(ZXing::Binarizer::LocalAverage);
    hints.setMaxNumberOfSymbols(0xFF);
    return hints;
}

}  // namespace platform::vision
