#pragma once
// One history record as the screens see it once an image has been recognised. Making
// one records the image: its record is found by identifier, or made with its photo file.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/presentation/image_view_model.hpp"
#include "vistrel/store/persistance_controller.hpp"
#include "vistrel/store/vistrel_image.hpp"

namespace vistrel {

class VistrelImageViewModel {
public:
    // What an answer, or the QR codes of a photo, may leave in the history is bounded, so
    // that a list of records costs little whatever was sent. An identifier holds the text
    // of any one QR code (at most 7,089 characters); a document identifier is followed by
    // the texts of the image's QR codes, and holds several; a title is a few lines.
    static constexpr std::size_t maxIdentifierBytes = 8 * 1024;
    static constexpr std::size_t maxDocumentIdBytes = 64 * 1024;
    static constexpr std::size_t maxTitleBytes = 512;
    // What is recorded comes back whole from the store's lists (a title cut is marked by
    // an ellipsis of three bytes).
    static_assert(maxTitleBytes + 3 <= PersistanceController::listedTitleBytes &&
                  maxDocumentIdBytes <= PersistanceController::listedDocumentIdBytes);

    // Records the image with the photo, and logs "IMAGE ID :: " and the start of its
    // document identifier (platform::excerptOnOneLine). The title is recorded within
    // maxTitleBytes: a longer one is cut where a user-perceived character ends and marked
    // as going on (display_limits::clampText). None, with a log line saying why, when the
    // image lacks a document identifier, an identifier or a title as text, or has an
    // identifier or document identifier past its bound, which no image is recorded anew
    // by (nothing is recorded then; a record an earlier version made under its identifier
    // is still found, and given as it is), or when the store cannot give a record.
    static std::shared_ptr<VistrelImageViewModel> make(
        const ImageViewModel& imageViewModel, const platform::graphics::Image& picture,
        std::shared_ptr<PersistanceController> controller = PersistanceController::shared());
    virtual ~VistrelImageViewModel() = default;

    bool isFavorite() const;
    // Flips the mark and saves the store at once.
    void toggleIsFavorite();
    std::optional<std::string> imageIdentifier() const;
    std::optional<std::string> documentId() const;
    // Sets the record's date; the next save writes it.
    void updateDate(Date date);
    void save();

    const std::shared_ptr<VistrelImage> vistrelImage;
    const std::shared_ptr<PersistanceController> persistanceController;

protected:
    VistrelImageViewModel(std::shared_ptr<VistrelImage> image, std::shared_ptr<PersistanceController> controller)
        : vistrelImage(std::move(image)), persistanceController(std::move(controller)) {}
};

}  // namespace vistrel
