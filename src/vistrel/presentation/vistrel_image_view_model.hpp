#pragma once
// One history record as the screens see it once an image has been recognised. Making
// one records the image: its record is found by identifier, or made with its photo file.
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
    // None, with a log line saying why, when the image lacks a document identifier, an
    // identifier or a title as text (nothing is recorded then), or when the store cannot
    // give a record.
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
