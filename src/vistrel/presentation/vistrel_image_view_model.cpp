#include "vistrel/presentation/vistrel_image_view_model.hpp"

#include <chrono>
#include <limits>
#include <string>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/presentation/display_limits.hpp"

namespace vistrel {

std::shared_ptr<VistrelImageViewModel> VistrelImageViewModel::make(const ImageViewModel& imageViewModel,
                                                                   const platform::graphics::Image& picture,
                                                                   std::shared_ptr<PersistanceController> controller) {
    auto documentId = imageViewModel.imageDocumentId();
    auto identifier = imageViewModel.imageId();
    auto title = imageViewModel.imageName();
    if (!controller) return nullptr;
    if (!documentId || !identifier || !title) {
        const char* missing = !identifier ? "\"Id\"" : !documentId ? "\"DocumentId\"" : "\"Title\"";
        platform::log(platform::concatenate("history :: the image is not recorded: the answer has no text ", missing));
        return nullptr;
    }
    // A value past its bound is not one an image is recorded anew by: as if it were
    // missing. A record an earlier version made under it is still found, as it is.
    const bool identifierTooLong = identifier->size() > maxIdentifierBytes;
    if (identifierTooLong || documentId->size() > maxDocumentIdBytes) {
        if (auto found = controller->retrieveImages(platform::store::Predicate::equals("identifier", *identifier));
            found && !found->empty())
            return std::shared_ptr<VistrelImageViewModel>(
                new VistrelImageViewModel(std::move(found->front()), std::move(controller)));
        const std::string why =
            identifierTooLong
                ? platform::concatenate("\"Id\" is over ", std::to_string(maxIdentifierBytes))
                : platform::concatenate("\"DocumentId\", with the texts of its QR codes, is over ",
                                        std::to_string(maxDocumentIdBytes));
        platform::log(platform::concatenate("history :: the image is not recorded: its ", why, " bytes"));
        return nullptr;
    }
    platform::log(platform::concatenate("IMAGE ID :: ", platform::excerptOnOneLine(*documentId)));
    constexpr std::size_t anyNumberOfLines = std::numeric_limits<std::size_t>::max();
    auto record = controller->loadOrCreateVistrelImage(*documentId, *identifier,
                                                       display_limits::clampText(*title, maxTitleBytes, anyNumberOfLines),
                                                       picture, std::chrono::system_clock::now());
    if (!record) {
        platform::log("history :: the image is not recorded: the history store could not keep it");
        return nullptr;
    }
    return std::shared_ptr<VistrelImageViewModel>(new VistrelImageViewModel(std::move(record), std::move(controller)));
}

bool VistrelImageViewModel::isFavorite() const { return vistrelImage->isFavorite(); }

void VistrelImageViewModel::toggleIsFavorite() {
    vistrelImage->setIsFavorite(!vistrelImage->isFavorite());
    persistanceController->saveContext();
}

std::optional<std::string> VistrelImageViewModel::imageIdentifier() const { return vistrelImage->identifier(); }

std::optional<std::string> VistrelImageViewModel::documentId() const { return vistrelImage->documentId(); }

void VistrelImageViewModel::updateDate(Date date) { vistrelImage->setDate(date); }

void VistrelImageViewModel::save() { persistanceController->saveContext(); }

}  // namespace vistrel
