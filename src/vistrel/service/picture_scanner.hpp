#pragma once
// The scan of one photo: the recognition request to the service and the search for QR
// codes on the device run side by side, and their two answers are merged into one image.
// A value with no state: one scanner serves any number of scans, also at the same time.
#include <functional>
#include <optional>
#include <vector>

#include "vistrel/core/vistrel_error.hpp"
#include "vistrel/model/image.hpp"
#include "vistrel/platform/foundation/error.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/vision/qr_code_feature.hpp"

namespace vistrel {

class PictureScanner {
public:
    using Photo = platform::graphics::Image;
    using Completion = std::function<void(std::optional<Image>, std::optional<VistrelError>)>;
    using JobCompletion = std::function<void(std::optional<Image>, std::optional<platform::Error>)>;
    using RawCompletion = std::function<void(std::optional<std::vector<platform::vision::QRCodeFeature>>,
                                             std::optional<platform::Error>)>;

    // Starts both jobs and returns at once; calls back exactly once, on the main queue,
    // with an image, or without one with VistrelError::serviceUnavailable when the
    // service failed (no answer, or one other than 2xx) and VistrelError::notEnrichedImage
    // when it answered without recognising anything.
    void groupedRequests(const Photo& photo, Completion completion) const;

    // The server job: the photo sent to the recognition service, the answer read as an
    // image. Calls back exactly once, with an image for every answer that has a body, or
    // with the client's error when the service failed.
    void scanPicture(const Photo& photo, JobCompletion completion) const;

    // The QR job: the codes of the photo, searched on a global queue. Calls back exactly
    // once: with the image of the codes on the main queue, or with no image and the
    // not-found error on the search's queue.
    void searchBarCode(const Photo& photo, JobCompletion completion) const;

    // The codes themselves, searched on the caller's thread.
    void searchRawBarCode(const Photo& photo, const RawCompletion& completion) const;
};

}  // namespace vistrel
