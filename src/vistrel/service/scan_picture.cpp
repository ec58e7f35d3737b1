// The server job of a scan: the photo sent to the recognition service, its answer read
// as an image.
#include <optional>
#include <utility>

#include "vistrel/model/image.hpp"
#include "vistrel/platform/foundation/locale.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/service/client.hpp"
#include "vistrel/service/picture_scanner.hpp"

namespace vistrel {

void PictureScanner::scanPicture(const Photo& photo, JobCompletion completion) const {
    auto languages = platform::preferredLanguages();
    if (languages.empty()) {
        platform::log("EnrichedImages : no preferred language to ask for");
        if (completion) completion(std::nullopt, std::nullopt);
        return;
    }
    Client::enrichedImage(photo, "image.jpeg", languages.front(), std::nullopt,
                          [completion = std::move(completion)](std::optional<std::string> data,
                                                               std::optional<platform::Error> error) {
                              if (!completion) return;
                              if (!data) return completion(std::nullopt, std::move(error));
                              // Only an object describes an image: anything else (empty,
                              // not JSON, another kind) is no answer rather than an image
                              // with every field absent.
                              std::optional<Image> image = Image::fromAnswer(*data);
                              if (!image) {
                                  platform::log("EnrichedImages : the answer is not a JSON object");
                                  return completion(std::nullopt, std::nullopt);
                              }
                              completion(std::move(*image), std::nullopt);
                          });
}

}  // namespace vistrel
