// The QR job of a scan: the codes of the photo searched on the device.
#include <algorithm>

#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/vision/qr_detector.hpp"
#include "vistrel/service/picture_scanner.hpp"

namespace vistrel {

namespace {

platform::Error notFoundError() {
    return platform::Error{"", 0, {{"message", "aucun contenu associé au code"}}};
}

std::vector<std::optional<std::string>> payloads(const std::vector<platform::vision::QRCodeFeature>& features) {
    std::vector<std::optional<std::string>> texts;
    texts.reserve(features.size());
    for (const auto& feature : features) texts.push_back(feature.messageString);
    return texts;
}

}  // namespace

void PictureScanner::searchBarCode(const Photo& photo, JobCompletion completion) const {
    // The photo is captured by value: its pixels are shared, not copied.
    platform::dispatch::global().async([photo, completion = std::move(completion)] {
        auto features = platform::vision::detectQRCodes(photo);
        // Codes none of which reads as text would make an image with nothing in it.
        bool readable = features && std::any_of(features->begin(), features->end(),
                                                [](const auto& feature) { return feature.messageString.has_value(); });
        if (!readable) {
            completion(std::nullopt, notFoundError());
            return;
        }
        platform::dispatch::main().async([texts = payloads(*features), completion] {
            completion(Image::fromQrcodeFeatures(texts), std::nullopt);
        });
    });
}

void PictureScanner::searchRawBarCode(const Photo& photo, const RawCompletion& completion) const {
    auto features = platform::vision::detectQRCodes(photo);
    if (!features) {
        completion(std::nullopt, notFoundError());
        return;
    }
    completion(std::move(features), std::nullopt);
}

}  // namespace vistrel
