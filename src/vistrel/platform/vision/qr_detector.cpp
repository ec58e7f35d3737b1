#include "vistrel/platform/vision/qr_detector.hpp"

#include "vistrel/platform/vision/qr_decode_hints.hpp"  // first: it sets up zxing-cpp for UTF-8

#include <ZXing/ReadBarcode.h>

#include <algorithm>
#include <cstdint>
#include <exception>

namespace platform::vision {

namespace {

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

std::vector<QRCodeFeature> read(const std::uint8_t* grey, int width, int height) {
    ZXing::ImageView view(grey, width, height, ZXing::ImageFormat::Lum);
    std::vector<QRCodeFeature> features;
    for (const ZXing::Result& result : ZXing::ReadBarcodes(view, thoroughHints()))
        if (result.isValid()) features.push_back(feature(result));
    return features;
}

// The grey values averaged over 3 x 3 pixels (edges repeated): grain that breaks the
// modules of a dim or noisy code into specks is smoothed away.
graphics::Image::GreyValues smoothed(const std::uint8_t* grey, int width, int height) {
    graphics::Image::GreyValues out(std::size_t(width) * std::size_t(height));
    std::vector<std::uint16_t> rows[3];
    auto across = [&](int y, std::vector<std::uint16_t>& sums) {
        const std::uint8_t* line = grey + std::size_t(std::clamp(y, 0, height - 1)) * width;
        sums.resize(width);
        for (int x = 0; x < width; ++x)
            sums[x] = line[std::max(x - 1, 0)] + line[x] + line[std::min(x + 1, width - 1)];
    };
    across(-1, rows[0]);
    across(0, rows[1]);
    for (int y = 0; y < height; ++y) {
        across(y + 1, rows[(y + 2) % 3]);
        const std::uint16_t *above = rows[y % 3].data(), *here = rows[(y + 1) % 3].data(),
                            *below = rows[(y + 2) % 3].data();
        std::uint8_t* line = out.data() + std::size_t(y) * width;
        for (int x = 0; x < width; ++x) line[x] = static_cast<std::uint8_t>((above[x] + here[x] + below[x] + 4) / 9);
    }
    return out;
}

}  // namespace

std::optional<std::vector<QRCodeFeature>> detectQRCodes(const graphics::Image& image) {
    try {
        // The decoder reads one grey byte per pixel fastest; the picture keeps them, so
        // the upload preparation of the same photo makes them only once.
        auto grey = image.greyValues();
        if (!grey) return std::nullopt;
        const int width = image.pixelWidth(), height = image.pixelHeight();
        std::vector<QRCodeFeature> features = read(grey->data(), width, height);
        // Nothing found: a second look at a smoothed copy finds codes whose grain or dim
        // light defeated the first (a photo with codes pays nothing for it).
        if (features.empty()) features = read(smoothed(grey->data(), width, height).data(), width, height);
        return features;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace platform::vision
