#pragma once
// One gallery tab: the records of its tab as cards, two a row, or one placeholder that
// fills the page when the tab has none. The gallery screen hands the pages the newest
// records (the waiting list's page every waiting photo); each page keeps the records of
// its tab. A tap opens a record (the
// gallery sends its photo again) or, in edition mode, asks to delete it; a tap on a
// card's star flips the record's favourite mark. The page refers back to the gallery
// without owning it.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vistrel/core/alert_controller.hpp"
#include "vistrel/platform/ui/collection_view_controller.hpp"
#include "vistrel/screens/gallery/card_picture_loader.hpp"
#include "vistrel/screens/gallery/gallery_content_protocol.hpp"
#include "vistrel/screens/gallery/image_collection_view_cell.hpp"
#include "vistrel/screens/gallery/library_option.hpp"
#include "vistrel/store/persistance_controller.hpp"

namespace vistrel {

class GalleryContentViewController : public platform::ui::CollectionViewController,
                                     public AlertController,
                                     public ImageCollectionViewCellDelegate {
public:
    using CellPrototype = std::function<std::shared_ptr<platform::ui::CollectionViewCell>()>;

    GalleryContentViewController();

    // The page's tab; until it is set the page keeps the whole list.
    std::optional<LibraryOption> libraryOption;
    std::weak_ptr<GalleryContentProtocol> contentDelegate;
    // Where the photos are read (the gallery gives its own).
    std::shared_ptr<PersistanceController> persistanceController = PersistanceController::shared();
    // Where the card photos are decoded and kept (the gallery gives its pages one to share).
    std::shared_ptr<CardPictureLoader> pictureLoader = std::make_shared<CardPictureLoader>();
    // The storyboard's prototypes of the two cells, registered when the view loads.
    CellPrototype cardPrototype;
    CellPrototype emptyPrototype;

    const VistrelImages& vistrelImages() const { return vistrelImages_; }
    bool inEditionMode() const { return inEditionMode_; }

    // Keeps the records of the page's tab out of the whole list, in its order, and
    // reloads the grid.
    void updateImages(const VistrelImages& images);
    // Flips edition mode, reloads the grid, gives the new mode.
    bool toggleEdition();

    void viewDidLoad() override;
    platform::ui::InterfaceOrientationMask supportedInterfaceOrientations() const override {
        return platform::ui::InterfaceOrientationMask::portrait;
    }

    // The star of a card: flips the mark and tells the gallery.
    void toggleFavoriteWithImage(const std::shared_ptr<VistrelImage>& image) override;

    int numberOfItemsInSection(platform::ui::CollectionView& collectionView, int section) override;
    std::shared_ptr<platform::ui::CollectionViewCell> cellForItemAt(platform::ui::CollectionView& collectionView,
                                                                    const platform::ui::IndexPath& indexPath) override;
    bool shouldSelectItemAt(platform::ui::CollectionView& collectionView,
                            const platform::ui::IndexPath& indexPath) override;
    void didSelectItemAt(platform::ui::CollectionView& collectionView,
                         const platform::ui::IndexPath& indexPath) override;
    std::optional<platform::ui::Size> sizeForItemAt(platform::ui::CollectionView& collectionView,
                                                    const platform::ui::CollectionViewFlowLayout& layout,
                                                    const platform::ui::IndexPath& indexPath) override;
    std::optional<platform::ui::EdgeInsets> insetForSectionAt(platform::ui::CollectionView& collectionView,
                                                              const platform::ui::CollectionViewFlowLayout& layout,
                                                              int section) override;
    std::optional<double> minimumLineSpacingForSectionAt(platform::ui::CollectionView& collectionView,
                                                         const platform::ui::CollectionViewFlowLayout& layout,
                                                         int section) override;

private:
    std::shared_ptr<GalleryContentViewController> self();
    void setVistrelImages(VistrelImages images);
    // Asks before deleting the record; "Yes" deletes it only if the page still lists it.
    void confirmDeletion(std::shared_ptr<VistrelImage> record);
    // Asks the store's getPicture for the record's photo on the main thread
    // (store_picture.hpp) and hands it to the gallery while the page lives and the record
    // is not deleted: a host's store's answer at once; where the kit's own getPicture was
    // reached, the file read whole by it on the global queue, ahead of the cards'
    // pictures, and handed on from the main queue. A tap while a photo is being read is
    // ignored.
    void openRecord(const std::shared_ptr<VistrelImage>& record);
    void didReadPhoto(std::optional<platform::graphics::Image> photo, const std::shared_ptr<VistrelImage>& record);

    std::vector<std::string> emptyCellTexts_;
    VistrelImages vistrelImages_;
    bool inEditionMode_ = false;
    bool readingPhoto_ = false;  // main thread only
};

}  // namespace vistrel
