#include "platform/vision/qr_detector.hpp"

#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>

#include <cstdint>
#include <exception>


namespace platform::vision {

namespace {

ZXing::DecodeHints thoroughHints() {
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

// Text, GS1 and ISO 15434 payloads read as text; bytes with no character set that
// fits them (or an unknown one) do not.
std::optional<std::string> payloadText(const ZXing::Result& result) {
    switch (result.contentType()) {
        case ZXing::ContentType::Text:
        case ZXing::ContentType::GS1:
        case ZXing::ContentType::ISO15434: return result.text();
        default: return std::nullopt;
    }
}

QRCodeFeature feature(const ZXing::Result& result) {
    const auto& position = result.position();
    QRCodeFeature found;
    found.corners = {graphics::Point{double(position.topLeft().x), double(position.topLeft().y)},
                     graphics::Point{double(position.topRight().x), double(position.topRight().y)},
                     graphics::Point{double(position.bottomRight().x), double(position.bottomRight().y)},
                     graphics::Point{double(position.bottomLeft().x), double(position.bottomLeft().y)}};
    found.messageString = payloadText(result);
    return found;
}

}  // namespace

std::optional<std::vector<QRCodeFeature>> detectQRCodes(const graphics::Image& image) {
    try {
        // The decoder reads one grey byte per pixel fastest; the picture keeps them, so
        // the upload preparation of the same photo makes them only once.
        auto grey = image.greyValues();
        if (!grey) return std::nullopt;
        ZXing::ImageView view(grey->data(), image.pixelWidth(), image.pixelHeight(), ZXing::ImageFormat::Lum);
        std::vector<QRCodeFeature> features;
        for (const ZXing::Result& result : ZXing::ReadBarcodes(view, thoroughHints()))
            if (result.isValid()) features.push_back(feature(result));
        return features;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace platform::vision
